// What a new user meets first: Qt's buttons in Japanese, the engine's reasons in
// Japanese, new windows at a usable size inside the client area with the program's icon,
// and picture dialogs that start where the pictures are and offer the same formats.

#include <QMessageBox>

#include "ui/dialogs.h"
#include "ui/frm_about.h"
#include "ui/frm_jiguzagu.h"
#include "ui/frm_printinfo.h"
#include "ui/japanese_reasons.h"
#include "ui/picture_dialogs.h"
#include "ui/program_icon.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

// A button's text without its keyboard mnemonic: "はい(&Y)" reads はい.
QString withoutMnemonic(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral(R"(\(&.\))"));
    text.remove(mnemonic);
    return text.remove(u'&');
}

TEST(JapaneseQtTexts, MessageBoxButtonsReadInJapanese) {
    for (const auto& [buttons, texts] :
         {std::pair{ui::MessageButtons::YesNoCancel, "いいえ はい キャンセル"},
          {ui::MessageButtons::YesNo, "いいえ はい"}}) {
        SCOPED_TRACE(texts);
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons())
                shown << withoutMnemonic(button->text());
            box->button(buttons == ui::MessageButtons::YesNo ? QMessageBox::No
                                                             : QMessageBox::Cancel)
                ->click();
        });
        ui::QtDialogs().message(nullptr, QStringLiteral("上書き確認"), QStringLiteral("?"),
                                ui::MessageIcon::Exclamation, buttons);
        shown.sort();
        EXPECT_EQ(shown.join(u' '), QString::fromUtf8(texts));
    }
}

TEST(JapaneseReasons, KnownMessagesAndReasonsKeepFileNamesAndNumbers) {
    struct Case {
        const char* english;
        const char* japanese;
    };
    const Case cases[] = {
        {R"(cannot open "/p/a.tif" as a picture: Unsupported image format)",
         R"("/p/a.tif"を画像として開けません。対応していない画像形式です)"},
        {R"(cannot open "/p/x: y.bmp": there is no such file)",
         R"("/p/x: y.bmp"を開けません。ﾌｧｲﾙがありません)"},
        {R"(cannot open "/p/big.bmp": the picture is too large (40000 x 30000))",
         R"("/p/big.bmp"を開けません。画像が大きすぎます（40000×30000）)"},
        {R"(cannot read "/s/Dorvel.ini": Permission denied)",
         R"("/s/Dorvel.ini"を読み込めません。ｱｸｾｽが許可されていません)"},
        {R"(cannot write "/p/cat.txt": the disk is full (no space left for the file))",
         R"("/p/cat.txt"に書き込めません。ﾃﾞｨｽｸがいっぱいです（ﾌｧｲﾙを書く空きがありません）)"},
        {R"(cannot write "/p/cat.bmp": it is the input "/p/cat.bmp"; choose another output)",
         R"("/p/cat.bmp"に書き込めません。入力ﾌｧｲﾙ"/p/cat.bmp"です。別の保存先を選んで下さい)"},
        {R"(cannot write "/p/out": some new reason)",
         R"("/p/out"に書き込めません。some new reason)"},
        {"the diffusion rate must be a whole number from 0 to 100 (got 120)",
         "拡散率は0から100までの整数で指定して下さい（120）"},
        {"the green density must be a whole number from 0 to 50 (got -1)",
         "緑の濃度は0から50までの整数で指定して下さい（-1）"},
        {"a 5000 x 4000 picture is too large to magnify 4 times",
         "5000×4000の画像は大きすぎて4倍に拡大できません"},
        {"the printer could not start page 3", "ﾌﾟﾘﾝﾀで3ﾍﾟｰｼﾞ目を始められません"},
        // Unknown text stays as it came rather than being guessed at.
        {"something else went wrong", "something else went wrong"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        EXPECT_EQ(ui::japaneseReason(std::string(c.english)), QString::fromUtf8(c.japanese));
    }
}

class NewWindowsTest : public ConversionTest {};

TEST_F(NewWindowsTest, NewWindowsOpenUsableInsideTheClientAreaWithTheProgramsIcon) {
    start();
    openThroughDialog(makePictureOf("large.bmp", 1600, 1200,
                                    [](int x, int) { return x < 800 ? 0u : 0xFFFFFFu; }));
    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    const QRect area(QPoint(0, 0), window->mdiArea()->viewport()->size());
    EXPECT_GE(preview->width(), 200);
    EXPECT_GE(preview->height(), 150);
    EXPECT_TRUE(area.contains(frameOf(preview)->geometry()))
        << frameOf(preview)->geometry().width() << " x " << frameOf(preview)->geometry().height();
    EXPECT_FALSE(child<QWidget>(preview, "scrYOKO")->isHidden());
    EXPECT_FALSE(child<QWidget>(preview, "scrTATE")->isHidden());
    // A small picture shows whole; the state labels are there for the program only.
    openThroughDialog(makePicture("small.bmp", 120, 90));
    ui::FrmPreview* small = convert();
    ASSERT_NE(small, nullptr);
    EXPECT_GE(small->width(), 120);
    EXPECT_GE(small->height(), 90 + child<QWidget>(small, "picDODAI")->y());
    EXPECT_TRUE(area.contains(frameOf(small)->geometry()));
    EXPECT_TRUE(child<QLabel>(small, "lblINFO")->isHidden() &&
                child<QLabel>(small, "lblFOCUS")->isHidden());
    // The history opens inside the client area too.
    trigger("mnuLAST");
    QWidget* historyFrame = window->historyWindow()->parentWidget();
    EXPECT_TRUE(historyFrame->isVisible());
    EXPECT_TRUE(area.contains(historyFrame->geometry()));
    EXPECT_GE(historyFrame->geometry().height(), 150);
    EXPECT_EQ(historyFrame->geometry().x(), 0);
    // Child windows and dialogs show the program's icon.
    const QImage icon = ui::programIcon().pixmap(32).toImage();
    ASSERT_FALSE(icon.isNull());
    for (QWidget* shown : {static_cast<QWidget*>(frameOf(small)), historyFrame,
                           static_cast<QWidget*>(sourceFrame())})
        EXPECT_EQ(shown->windowIcon().pixmap(32).toImage(), icon)
            << shown->objectName().toStdString();
    whileModal<ui::FrmAbout>(action("mnuABOUT"), [&](ui::FrmAbout& about) {
        EXPECT_EQ(about.windowIcon().pixmap(32).toImage(), icon);
    });
}

TEST_F(UiTest, EveryPictureDialogStartsAtTheLastPictureAndOffersTheSameFormats) {
    const QString filter = ui::pictureFileFilter();
    for (const char* pattern : {"*.bmp", "*.jpg", "*.jpeg", "*.png", "*.PNG", "*.gif"})
        EXPECT_TRUE(filter.contains(QLatin1String(pattern))) << pattern;

    start();
    // Before any picture: never the settings folder, which is the current folder.
    ASSERT_EQ(QDir::currentPath(), QDir(settingsFolder).absolutePath());
    trigger("mnuLOAD");
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_NE(QDir(dialogs.fileDialogs[0].start).absolutePath(),
              QDir(settingsFolder).absolutePath());
    EXPECT_EQ(dialogs.fileDialogs[0].start, ui::pictureDialogFolder());

    const QString photos = QDir(pictureFolder).filePath("photos");
    openThroughDialog(makePicture("cat.bmp", 30, 20, photos));
    ASSERT_EQ(sharedState().currentFileName, QDir(photos).filePath("cat.bmp"));
    dialogs.fileDialogs.clear();

    trigger("mnuLOAD");
    whileModal<ui::FrmJiguzagu>(action("mnuJIGZAG"),
                                [](ui::FrmJiguzagu& zigzag) { click(&zigzag, "cmdLOADPIC"); });
    whileModal<ui::FrmPrintInfo>(
        action("mnuCOLSET"), [](ui::FrmPrintInfo& symbols) { click(&symbols, "cmdFOLDERSET"); });
    const QString expectedStart[] = {photos, photos, QDir(photos).filePath("cat.bmp")};
    ASSERT_EQ(dialogs.fileDialogs.size(), std::size(expectedStart));
    for (size_t i = 0; i < std::size(expectedStart); ++i) {
        SCOPED_TRACE(dialogs.fileDialogs[i].title.toStdString());
        EXPECT_EQ(dialogs.fileDialogs[i].start, expectedStart[i]);
        EXPECT_EQ(dialogs.fileDialogs[i].filter, filter);
    }
}

}  // namespace
}  // namespace kirimo::test
