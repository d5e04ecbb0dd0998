// The main window: caption, menu tree, exit, help, about box, single running copy.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSysInfo>

#include "ui/frm_about.h"
#include "ui/frm_last.h"
#include "ui/single_instance.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

using ui::MessageButtons;
using ui::MessageIcon;

TEST_F(UiTest, CaptionsCarryTheVersionAndTheSourceWindowStartsEmpty) {
    start();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kirimo　Ver 1.0.0"));
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像"));
    EXPECT_TRUE(sourceFrame()->isVisible());
    EXPECT_FALSE(action("mnuGSAVE")->isEnabled());
    EXPECT_TRUE(dialogs.messages.empty());
    // The settings folder is created and made current at start-up.
    EXPECT_EQ(QDir::currentPath(), QDir(settingsFolder).canonicalPath());
}

struct MenuItem {
    const char* name;
    const char* caption;
    const char* parent;  // nullptr: the menu bar
};

TEST_F(UiTest, EveryMenuItemHasItsCaptionAndPlace) {
    start();
    const MenuItem items[] = {
        {"mnuFILE", "ﾌｧｲﾙ", nullptr},
        {"mnuLOAD", "画像の選択", "mnuFILE"},
        {"mnuGSAVE", "元ﾃﾞｰﾀを別名保存", "mnuFILE"},
        {"mnuSAVE", "色情報の保存", "mnuFILE"},
        {"sep6", "", "mnuFILE"},
        {"mnuLAST", "履歴", "mnuFILE"},
        {"sep1", "", "mnuFILE"},
        {"mnuEND", "終了", "mnuFILE"},
        {"mnuEDIT", "編集", nullptr},
        {"mnuSIZE", "ｻｲｽﾞ変更", "mnuEDIT"},
        {"mnuFILTER", "ﾌｨﾙﾀ処理", "mnuEDIT"},
        {"mnuSHARP", "ｼｬｰﾌﾟ化", "mnuFILTER"},
        {"mnuSHP1", "弱", "mnuSHARP"},
        {"mnuSHP2", "中", "mnuSHARP"},
        {"mnuSHP3", "強", "mnuSHARP"},
        {"mnuBOKASI", "ぼかし", "mnuFILTER"},
        {"mnuMID", "平均化", "mnuFILTER"},
        {"mnuMEDI", "ﾒﾃﾞｨｱﾝ", "mnuFILTER"},
        {"mnuENBOS", "ｴﾝﾎﾞｽ加工", "mnuFILTER"},
        {"mnuOUTLINE", "輪郭", "mnuEDIT"},
        {"mnuREVERSE", "色反転", "mnuEDIT"},
        {"mnuROTA", "回転", "mnuEDIT"},
        {"mnuUPDOWN", "上下反転", "mnuROTA"},
        {"mnuLEFTRIGHT", "左右反転", "mnuROTA"},
        {"mnuRIGHT90", "90度（時計周り）", "mnuROTA"},
        {"mnuLEFT90", "90度（反時計周り）", "mnuROTA"},
        {"sep05", "", "mnuEDIT"},
        {"mnuORG", "元の画像に戻す", "mnuEDIT"},
        {"mnuOPTION", "ｵﾌﾟｼｮﾝ", nullptr},
        {"mnuCOLSET", "色識別記号設定", "mnuOPTION"},
        {"mnuJIGZAG", "ｼﾞｸﾞｻﾞｸﾞ絵の作成", "mnuOPTION"},
        {"mnuHELP", "ﾍﾙﾌﾟ", nullptr},
        {"mnuDISPHELP", "ﾍﾙﾌﾟ", "mnuHELP"},
        {"sep2", "", "mnuHELP"},
        {"mnuABOUT", "Kirimoについて", "mnuHELP"},
    };
    for (const MenuItem& item : items) {
        SCOPED_TRACE(item.name);
        QAction* found = action(QString::fromLatin1(item.name));
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->text(), QString::fromUtf8(item.caption));
        EXPECT_EQ(found->isSeparator(), QString::fromLatin1(item.name).startsWith("sep"));
        const QList<QAction*> siblings =
            item.parent == nullptr ? window->menuBar()->actions()
                                   : find<QMenu>(QString::fromLatin1(item.parent))->actions();
        EXPECT_TRUE(siblings.contains(found));
    }
    // Every window the menus open is there.
    EXPECT_TRUE(action(QStringLiteral("mnuSAVE"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("mnuCOLSET"))->isEnabled());
    EXPECT_TRUE(action(QStringLiteral("mnuJIGZAG"))->isEnabled());
}

TEST_F(UiTest, ExitAnsweredNoKeepsEverythingOpenAndWritesNothing) {
    start();
    const QString picture = makePicture("a.bmp", 30, 20);
    openThroughDialog(picture);
    dialogs.answers.push_back(ui::MessageAnswer::No);
    trigger("mnuEND");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], (ShownMessage{"終了確認", "「Kirimo」を終了しますか。",
                                                 MessageIcon::Exclamation, MessageButtons::YesNo}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(sourceFrame()->isVisible());
    EXPECT_EQ(sharedState().currentFileName, picture);
    EXPECT_FALSE(QFile::exists(historyFile()));
}

TEST_F(UiTest, ExitAnsweredYesWritesTheHistoryIntoTheSettingsFolder) {
    start();
    const QString first = makePicture("a.bmp", 30, 20);
    const QString second = makePicture("b,c.bmp", 30, 20, root_.filePath("other"));
    openThroughDialog(first);
    openThroughDialog(second);
    // Opening a picture made its folder current; the history still goes to the settings.
    ASSERT_EQ(QDir::currentPath(), QDir(root_.filePath("other")).canonicalPath());
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(readBytes(historyFile()), (first + "\r\n" + second + "\r\n").toUtf8());
    EXPECT_FALSE(QFile::exists(QDir(root_.filePath("other")).filePath("history.ini")));
}

TEST_F(UiTest, HistoryIsReadFromTheSettingsFolderAtStart) {
    QDir().mkpath(settingsFolder);
    ASSERT_TRUE(
        writeBytes(historyFile(), "/p/x,y/one.bmp\r\n\"/p/two.jpg\"\r\n\r\n/p/three.bmp\n"));
    start();
    EXPECT_EQ(window->historyWindow()->entries(),
              (QStringList{"/p/x,y/one.bmp", "/p/two.jpg", "/p/three.bmp"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(UiTest, StartUpReadsTheUserColourAndSeedsTheGenerator) {
    QDir().mkpath(settingsFolder);
    ASSERT_TRUE(test::writeBytes(QDir(settingsFolder).filePath("EditCol.ini"), "0A141E\r\n"));
    sharedState().random.seed(1);
    start();
    EXPECT_EQ(sharedState().colourTable[17].packed, 0x1E140A);
    std::mt19937 expected(36000);  // seeded from the seconds since midnight
    EXPECT_EQ(sharedState().random(), expected());
}

TEST_F(UiTest, HelpReportsAMissingManualAndAMissingViewer) {
    start();
    trigger("mnuDISPHELP");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
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
}

TEST_F(UiTest, AboutBoxShowsTheVersionAndCloses) {
    start();
    whileModal<ui::FrmAbout>(action("mnuABOUT"), [](ui::FrmAbout& about) {
        EXPECT_EQ(about.windowTitle(), QStringLiteral("「Kirimo」のﾊﾞｰｼﾞｮﾝ情報"));
        EXPECT_EQ(child<QLabel>(&about, "lblVERSION")->text(), QStringLiteral("Version 1.0.0"));
        EXPECT_TRUE(child<QLabel>(&about, "lblLEGAL")->text().contains("Kirimo"));
        child<QPushButton>(&about, "Command1")->click();
        EXPECT_FALSE(about.isVisible());
    });
}

TEST(UiSingleInstance, OnlyOneLockHolderAndAnEndedHolderDoesNotCount) {
    QTemporaryDir folder;
    {
        ui::SingleInstance first(folder.path());
        EXPECT_TRUE(first.isFirst());
        ui::SingleInstance second(folder.path());
        EXPECT_FALSE(second.isFirst());
    }
    // A lock file left by a process that no longer runs.
    ASSERT_TRUE(writeBytes(folder.filePath("kirimo.lock"),
                           "2147480000\nkirimo\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
    ui::SingleInstance afterCrash(folder.path());
    EXPECT_TRUE(afterCrash.isFirst());
}

TEST(UiSingleInstance, ASecondCopyEndsAtOnceWithoutTouchingSettings) {
    QTemporaryDir home;
    const QString runtime = makeRuntimeFolder(home.filePath("runtime"));
    ui::SingleInstance running(runtime);
    ASSERT_TRUE(running.isFirst());

    QProcess second;
    ASSERT_TRUE(runOtherCopy(second, runtime, home.path(), home.path()));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(QFile::exists(home.filePath("config")));
    EXPECT_FALSE(QFile::exists(home.filePath("history.ini")));
    EXPECT_TRUE(running.isFirst());
}

}  // namespace
}  // namespace kirimo::test
