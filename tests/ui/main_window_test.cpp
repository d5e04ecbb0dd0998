// The main window: caption, menu tree, exit, help, about box, and the history with its file
// and window.

#include <QMenuBar>
#include <QSet>

#include <sys/stat.h>

#include "core/diffusion_presets.h"
#include "ui/frm_about.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

using ui::MessageButtons;
using ui::MessageIcon;

TEST_F(UiTest, StartUpCaptionsMenuTreeHelpAndAbout) {
    // The history lines are read as the history file reads them (quotes dropped, blanks
    // skipped); the user colour comes from EditCol.ini.
    ASSERT_TRUE(
        writeBytes(historyFile(), "/p/x,y/one.bmp\r\n\"/p/two.jpg\"\r\n\r\n/p/three.bmp\n"));
    ASSERT_TRUE(writeBytes(settingsFile("EditCol.ini"), "0A141E\r\n"));
    sharedState().random.seed(1);
    start();
    EXPECT_EQ(history(), (QStringList{"/p/x,y/one.bmp", "/p/two.jpg", "/p/three.bmp"}));
    EXPECT_EQ(sharedState().colourTable[17].packed, 0x1E140A);
    std::mt19937 expected(36000);  // seeded from the seconds since midnight
    EXPECT_EQ(sharedState().random(), expected());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kirimo　Ver 1.0.0"));
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
    EXPECT_TRUE(sourceFrame()->isVisible());
    EXPECT_FALSE(action("mnuGSAVE")->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
    // The settings folder is created and made current at start-up.
    EXPECT_EQ(QDir::currentPath(), QDir(settingsFolder).canonicalPath());
    // Each menu with the items it holds, in order: "name:caption", separators by name only.
    const std::pair<const char*, const char*> menus[] = {
        {nullptr, "mnuFILE:ﾌｧｲﾙ mnuEDIT:編集 mnuOPTION:ｵﾌﾟｼｮﾝ mnuHELP:ﾍﾙﾌﾟ"},
        {"mnuFILE",
         "mnuLOAD:画像の選択 mnuGSAVE:元ﾃﾞｰﾀを別名保存 mnuSAVE:色情報の保存 sep6 "
         "mnuLAST:履歴 sep1 mnuEND:終了"},
        {"mnuEDIT",
         "mnuSIZE:ｻｲｽﾞ変更 mnuFILTER:ﾌｨﾙﾀ処理 mnuOUTLINE:輪郭 mnuREVERSE:色反転 "
         "mnuROTA:回転 sep05 mnuORG:元の画像に戻す"},
        {"mnuFILTER",
         "mnuSHARP:ｼｬｰﾌﾟ化 mnuBOKASI:ぼかし mnuMID:平均化 mnuMEDI:ﾒﾃﾞｨｱﾝ "
         "mnuENBOS:ｴﾝﾎﾞｽ加工"},
        {"mnuSHARP", "mnuSHP1:弱 mnuSHP2:中 mnuSHP3:強"},
        {"mnuROTA",
         "mnuUPDOWN:上下反転 mnuLEFTRIGHT:左右反転 mnuRIGHT90:90度（時計周り） "
         "mnuLEFT90:90度（反時計周り）"},
        {"mnuOPTION", "mnuCOLSET:色識別記号設定 mnuJIGZAG:ｼﾞｸﾞｻﾞｸﾞ絵の作成"},
        {"mnuHELP", "mnuDISPHELP:ﾍﾙﾌﾟ sep2 mnuABOUT:Kirimoについて"},
    };
    for (const auto& [menu, items] : menus) {
        const QList<QAction*> held = menu == nullptr ? window->menuBar()->actions()
                                                     : find<QMenu>(QLatin1String(menu))->actions();
        qsizetype last = -1;  // the items come in this order, other items between them
        for (const QString& item : QString::fromUtf8(items).split(u' ')) {
            SCOPED_TRACE(item.toStdString());
            QAction* found = action(item.section(u':', 0, 0));
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->text(), item.section(u':', 1));
            EXPECT_EQ(found->isSeparator(), item.startsWith("sep"));
            EXPECT_GT(held.indexOf(found), last);
            last = held.indexOf(found);
        }
    }
    // Help reports a missing manual and a missing viewer.
    trigger("mnuDISPHELP");
    EXPECT_EQ(onlyMessage(),
              (ShownMessage{"Kirimo", "ヘルプﾌｧｲﾙ（" + environment.manualPath + "）がありません",
                            MessageIcon::Stop}));
    EXPECT_TRUE(openedDocuments.empty());

    QDir().mkpath(root_.filePath("manual"));
    ASSERT_TRUE(writeBytes(environment.manualPath, "<html></html>"));
    documentsOpen = false;
    trigger("mnuDISPHELP");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1],
              (ShownMessage{"Kirimo",
                            "HTML Helpﾌｧｲﾙが関連付けされていません。\nﾏﾆｭｱﾙ：" +
                                QDir::toNativeSeparators(environment.manualPath),
                            MessageIcon::Stop}));

    documentsOpen = true;
    trigger("mnuDISPHELP");
    EXPECT_EQ(dialogs.messages.size(), 2u);
    ASSERT_EQ(openedDocuments.size(), 2u);
    EXPECT_EQ(openedDocuments[1], QUrl::fromLocalFile(environment.manualPath));

    whileModal<ui::FrmAbout>(action("mnuABOUT"), [](ui::FrmAbout& about) {
        EXPECT_EQ(child<QLabel>(&about, "lblVERSION")->text(), QStringLiteral("Version 1.0.0"));
        EXPECT_TRUE(child<QLabel>(&about, "lblLEGAL")->text().contains("Kirimo"));
        click(&about, "Command1");
        EXPECT_FALSE(about.isVisible());
    });
}

TEST_F(UiTest, ExitAnsweredNoKeepsEverythingAndYesWritesTheHistoryIntoTheSettingsFolder) {
    start();
    const QString first = makePicture("a.bmp", 30, 20);
    const QString second = makePicture("b,c.bmp", 30, 20, root_.filePath("other"));
    openThroughDialog(first);
    openThroughDialog(second);
    dialogs.answers.push_back(ui::MessageAnswer::No);
    trigger("mnuEND");
    EXPECT_EQ(onlyMessage(), (ShownMessage{"終了確認", "「Kirimo」を終了しますか。",
                                           MessageIcon::Exclamation, MessageButtons::YesNo}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(sourceFrame()->isVisible());
    EXPECT_EQ(sharedState().currentFileName, second);
    EXPECT_FALSE(QFile::exists(historyFile()));
    // Opening a picture made its folder current; the history still goes to the settings.
    ASSERT_EQ(QDir::currentPath(), QDir(root_.filePath("other")).canonicalPath());
    exitProgram();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(readBytes(historyFile()), (first + "\r\n" + second + "\r\n").toUtf8());
    EXPECT_FALSE(QFile::exists(QDir(root_.filePath("other")).filePath("history.ini")));
}

class HistoryWindowTest : public UiTest {
  protected:
    QListWidget* names() const { return find<QListWidget>("lstLAST(0)"); }
    QListWidget* paths() const { return find<QListWidget>("lstLAST(1)"); }
    void click(int row) {
        QListWidget* list = names();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
    }
};

TEST_F(HistoryWindowTest, EachFileOnceAndSameNamesInTwoFoldersOpenTheirOwnFiles) {
    start();
    const QString first = makePicture("same.bmp", 30, 20, root_.filePath("one"));
    const QString second = makePicture("same.bmp", 50, 40, root_.filePath("two"));
    openThroughDialog(first);
    openThroughDialog(second);
    openThroughDialog(first);
    trigger("mnuLAST");
    EXPECT_EQ(itemTexts(names()), (QStringList{"same.bmp", "same.bmp"}));
    EXPECT_TRUE(paths()->isHidden());

    click(1);
    EXPECT_EQ(sharedState().currentFileName, second);
    EXPECT_EQ(shown().size(), QSize(50, 40));
    click(0);
    EXPECT_EQ(sharedState().currentFileName, first);
    EXPECT_EQ(shown().size(), QSize(30, 20));
    EXPECT_EQ(itemTexts(paths()), (QStringList{first, second}));  // clicking adds nothing
    // Closing the window only hides it.
    auto* frame = qobject_cast<QMdiSubWindow*>(window->historyWindow()->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("履歴"));
    frame->close();
    EXPECT_FALSE(frame->isVisible());
    trigger("mnuLAST");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(names()->count(), 2);
}

// Lines of mixed encodings survive a run byte for byte; a cleared history leaves the file
// untouched until the exit, which writes it empty.
TEST_F(HistoryWindowTest, HistoryLinesSurviveByteForByteAndClearingEmptiesTheFileAtExit) {
    const QByteArray history = QStringLiteral("/home/u/写真/ねこ.jpg\r\n").toUtf8() +
                               QByteArray("/home/u/caf\xe9/\xe9t\xe9.bmp\r\n/home/u/plain.bmp\r\n");
    const QByteArray dorvel = QByteArray("0,,100,7,0,0,3,5,1,0,0,0,0,0,0\r\n") +
                              QStringLiteral("柔らか,80,7,5,3,5,7,5,3,1,3,5,3,1\r\n").toUtf8() +
                              QByteArray("caf\xe9,90,1,2,3,4,5,6,7,8,9,10,11,12\r\n");
    ASSERT_TRUE(writeBytes(historyFile(), history));
    ASSERT_TRUE(writeBytes(settingsFile("Dorvel.ini"), dorvel));
    start();
    EXPECT_EQ(names()->count(), 3);
    EXPECT_EQ(paths()->item(0)->text(), QStringLiteral("/home/u/写真/ねこ.jpg"));
    exitProgram();
    EXPECT_EQ(readBytes(historyFile()), history);
    EXPECT_EQ(readBytes(settingsFile("Dorvel.ini")), dorvel);

    start();
    openThroughDialog(makePicture("a.bmp", 30, 20));
    ASSERT_EQ(names()->count(), 4);
    find<QPushButton>("cmdCLR")->click();
    EXPECT_EQ(names()->count() + paths()->count(), 0);
    EXPECT_EQ(readBytes(historyFile()), history);  // untouched until exit
    exitProgram();
    EXPECT_TRUE(QFile::exists(historyFile()));
    EXPECT_EQ(QFileInfo(historyFile()).size(), 0);
}

TEST_F(HistoryWindowTest, SettingsFilesThatCouldNotBeReadNeitherHoldTheStartNorAreWritten) {
    const QString dorvel = settingsFile("Dorvel.ini");
    const QString editCol = settingsFile("EditCol.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", dorvel));
    ASSERT_EQ(mkfifo(QFile::encodeName(editCol).constData(), 0600), 0);  // never opened
    QByteArray history;
    while (history.size() <= kMaxTextFileBytes)
        history += "/pictures/a.bmp\r\n";
    ASSERT_TRUE(writeBytes(historyFile(), history));
    start();
    EXPECT_EQ(names()->count(), 0);
    EXPECT_EQ(sharedState().colourTable[kUserColourNumber].packed, 0x808080);
    QStringList kept;
    for (const ShownMessage& message : dialogs.messages) {
        if (message.text.contains(QStringLiteral("変更は保存しません")))
            kept << message.text.section(u'（', 1).section(u'）', 0, 0);
    }
    EXPECT_TRUE(kept.contains(historyFile()) && kept.contains(editCol))
        << kept.join(' ').toStdString();
    EXPECT_TRUE(dialogs.messages.front().text.contains(QStringLiteral("を読み込めません")));
    EXPECT_EQ(kept.size(), QSet<QString>(kept.begin(), kept.end()).size()) << "each told once";
    // The conversion window reads and writes Dorvel.ini when it converts; writing now and
    // at exit must leave every refused file as it was.
    EXPECT_TRUE(writeDiffusionPresets(settingsFolder, DiffusionPresets{}).ok());
    openThroughDialog(makePicture("a.bmp", 30, 20));
    exitProgram();
    EXPECT_EQ(readBytes(historyFile()), history);
    EXPECT_EQ(QFile::symLinkTarget(dorvel), "/dev/zero");
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(editCol).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

}  // namespace
}  // namespace kirimo::test
