// What a new user meets first: Qt's buttons in Japanese, the engine's reasons in
// Japanese, new windows at a usable size inside the client area with the program's icon,
// picture dialogs that start where the pictures are and offer the same formats, and every
// window at the interface's font: no label, button, check box, option button, combo box
// item or frame title is wider than its control, measured with the control's font.

#include <QGroupBox>
#include <QMessageBox>
#include <QStyleOptionComboBox>

#include "ui/dialogs.h"
#include "ui/frm_a4print.h"
#include "ui/frm_about.h"
#include "ui/frm_edit.h"
#include "ui/frm_jiguzagu.h"
#include "ui/frm_print.h"
#include "ui/frm_printinfo.h"
#include "ui/frm_sealprint.h"
#include "ui/interface_language.h"
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

TEST_F(ConversionTest, NewWindowsOpenUsableInsideTheClientAreaWithTheProgramsIcon) {
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

// ---- Texts at the interface font

// A button's text as shown: "&&" is one "&", a single "&" marks the mnemonic.
QString shownText(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    return text.replace(u'\x01', u'&');
}

int widestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

// "name: text (needs N, has M)" for every visible control of `window` whose text does
// not fit.
QStringList clippedTexts(QWidget* window) {
    QStringList clipped;
    auto check = [&](QWidget* control, const QString& text, int needed, int room) {
        if (needed > room) {
            clipped << QStringLiteral("%1 of %2: \"%3\" (needs %4, has %5)")
                           .arg(control->objectName(), window->objectName(), text)
                           .arg(needed)
                           .arg(room);
        }
    };
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window))
            continue;
        const QFontMetrics metrics(control->font());
        QStyle* style = control->style();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            const int indent = std::max(0, label->indent());
            check(label, label->text(), widestLine(metrics, label->text()),
                  label->contentsRect().width() - 2 * label->margin() - indent);
        } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
            auto* button = static_cast<QAbstractButton*>(control);
            if (button->text().isEmpty())
                continue;
            const bool check_ = qobject_cast<QCheckBox*>(control) != nullptr;
            const int indicator = style->pixelMetric(
                check_ ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth, nullptr,
                button);
            const int spacing = style->pixelMetric(
                check_ ? QStyle::PM_CheckBoxLabelSpacing : QStyle::PM_RadioButtonLabelSpacing,
                nullptr, button);
            check(button, button->text(), metrics.horizontalAdvance(shownText(button->text())),
                  button->width() - indicator - spacing);
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            if (button->text().isEmpty())
                continue;
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            check(button, button->text(), widestLine(metrics, shownText(button->text())) + icon,
                  button->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth));
        } else if (auto* box = qobject_cast<QComboBox*>(control)) {
            QStyleOptionComboBox option;
            option.initFrom(box);
            option.editable = box->isEditable();
            const int room = style
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, box)
                                 .width();
            for (int i = 0; i < box->count(); ++i)
                check(box, box->itemText(i), metrics.horizontalAdvance(box->itemText(i)), room);
        } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            if (!frame->title().isEmpty())
                check(frame, frame->title(), metrics.horizontalAdvance(frame->title()),
                      frame->width() - 2 * metrics.averageCharWidth());
        }
    }
    return clipped;
}

class TextFitTest : public ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        font_ = QApplication::font();
        ui::useInterfaceFont();
    }
    void TearDown() override {
        ConversionTest::TearDown();
        QApplication::setFont(font_);
    }
    void expectFits(QWidget* window) {
        QApplication::processEvents();
        const QStringList clipped = clippedTexts(window);
        EXPECT_TRUE(clipped.isEmpty()) << clipped.join(u'\n').toStdString();
        ++checked;
    }

    QFont font_;
    int checked = 0;
};

TEST_F(TextFitTest, EveryWindowShowsItsTextsWhole) {
    start();
    openThroughDialog(makePicture("cat.bmp", 60, 40));
    trigger("mnuSIZE");
    trigger("mnuLAST");
    expectFits(source());
    expectFits(conv());
    expectFits(window->historyWindow());

    ui::FrmPreview* preview = convert();
    ASSERT_NE(preview, nullptr);
    expectFits(preview);
    whileModal<ui::FrmEdit>(child<QPushButton>(preview, "cmdEDIT"),
                            [&](ui::FrmEdit& editor) { expectFits(&editor); });

    whileModal<ui::FrmPrint>(action("mnuSAVE"), [&](ui::FrmPrint& info) {
        expectFits(&info);
        // The A4 window takes the sheet size: 2 x 2 sheets of 30 x 20 (3 x 2 if swapped).
        child<QComboBox>(&info, "cboYOKO")->setEditText("30");
        child<QComboBox>(&info, "cboTATE")->setEditText("20");
        whileModal<ui::FrmA4Print>(info.findChild<QPushButton*>("cmdA4"), [&](ui::FrmA4Print& a4) {
            EXPECT_EQ(child<QListWidget>(&a4, "lstPRDATA")->count(), 4);
            expectFits(&a4);
        });
    });

    sharedState().symbolSettings.colours[0].pictures[0] = {sharedState().currentFileName, true};
    whileModal<ui::FrmPrintInfo>(action("mnuCOLSET"), [&](ui::FrmPrintInfo& symbols) {
        expectFits(&symbols);
        // The sticker window comes filled with the colour's pictures.
        whileModal<ui::FrmSealPrint>(
            symbols.findChild<QPushButton*>("cmdSEALPRINT"), [&](ui::FrmSealPrint& seal) {
                EXPECT_EQ(itemTexts(child<QListWidget>(&seal, "lstFILE(1)")),
                          QStringList{sharedState().currentFileName});
                expectFits(&seal);
            });
    });

    whileModal<ui::FrmJiguzagu>(action("mnuJIGZAG"), [&](ui::FrmJiguzagu& zigzag) {
        dialogs.filesAnswers.push_back(
            {makePicture("a.bmp", 60, 40), makePicture("b.bmp", 50, 40)});
        dialogs.answers.push_back(ui::MessageAnswer::Yes);
        click(&zigzag, "cmdLOADPIC");
        click(&zigzag, "cmdRUN");
        expectFits(&zigzag);
    });
    whileModal<ui::FrmAbout>(action("mnuABOUT"), [&](ui::FrmAbout& about) { expectFits(&about); });
    EXPECT_EQ(checked, 11);
}

}  // namespace
}  // namespace kirimo::test
