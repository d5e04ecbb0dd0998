// The history: its file, and the history window.

#include <sys/stat.h>

#include <QFile>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include "core/diffusion_presets.h"
#include "core/history_file.h"
#include "core/text_file.h"
#include "ui/frm_last.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

TEST(UiHistoryFile, OneEntryPerLineWithQuotesDropped) {
    EXPECT_EQ(parseHistory("C:\\x,y\\p.bmp\r\n\"/q/r s.jpg\"\r\n/a\n\n  \r\n/b"),
              (QStringList{"C:\\x,y\\p.bmp", "/q/r s.jpg", "/a", "/b"}));
    EXPECT_EQ(parseHistory("\"half quoted.bmp\r\n\"\""), QStringList{"\"half quoted.bmp"});
    EXPECT_TRUE(parseHistory("").isEmpty());
    EXPECT_TRUE(parseHistory("\" \"\r\n\"\"").isEmpty());  // quoted blanks name no file
}

TEST(UiHistoryFile, WritesCrLfLinesAndReadsThemBack) {
    QTemporaryDir folder;
    const QString path = folder.filePath("history.ini");
    EXPECT_TRUE(readHistoryFile(path)->isEmpty());  // no file yet: empty history
    const QStringList entries{"/p/一,二.bmp", "/p/b.jpg"};
    ASSERT_TRUE(writeHistoryFile(path, entries).ok());
    EXPECT_EQ(readBytes(path), QStringLiteral("/p/一,二.bmp\r\n/p/b.jpg\r\n").toUtf8());
    EXPECT_EQ(*readHistoryFile(path), entries);
    ASSERT_TRUE(writeHistoryFile(path, {}).ok());
    EXPECT_EQ(QFileInfo(path).size(), 0);
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

TEST_F(HistoryWindowTest, EachFileOnceInTheOrderOfFirstOpening) {
    start();
    const QString a = makePicture("a.bmp", 30, 20);
    const QString b = makePicture("b.bmp", 30, 20);
    openThroughDialog(a);
    openThroughDialog(b);
    openThroughDialog(a);
    EXPECT_EQ(itemTexts(names()), (QStringList{"a.bmp", "b.bmp"}));
    EXPECT_EQ(itemTexts(paths()), (QStringList{a, b}));
    EXPECT_TRUE(paths()->isHidden());
}

TEST_F(HistoryWindowTest, SameNamesInTwoFoldersOpenTheirOwnFiles) {
    start();
    const QString first = makePicture("same.bmp", 30, 20, root_.filePath("one"));
    const QString second = makePicture("same.bmp", 50, 40, root_.filePath("two"));
    openThroughDialog(first);
    openThroughDialog(second);
    trigger("mnuLAST");
    EXPECT_EQ(itemTexts(names()), (QStringList{"same.bmp", "same.bmp"}));

    click(0);
    EXPECT_EQ(sharedState().currentFileName, first);
    EXPECT_EQ(shown().size(), QSize(30, 20));
    click(1);
    EXPECT_EQ(sharedState().currentFileName, second);
    EXPECT_EQ(shown().size(), QSize(50, 40));
    EXPECT_EQ(itemTexts(paths()), (QStringList{first, second}));  // clicking adds nothing
}

TEST_F(HistoryWindowTest, ClosingTheWindowOnlyHidesIt) {
    start();
    openThroughDialog(makePicture("a.bmp", 30, 20));
    trigger("mnuLAST");
    auto* frame = qobject_cast<QMdiSubWindow*>(window->historyWindow()->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("履歴"));
    frame->close();
    EXPECT_FALSE(frame->isVisible());
    trigger("mnuLAST");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(itemTexts(names()), QStringList{"a.bmp"});
}

TEST_F(HistoryWindowTest, ClearedHistoryLeavesAnEmptyFileAtExit) {
    QDir().mkpath(settingsFolder);
    ASSERT_TRUE(writeBytes(historyFile(), "/old/one.bmp\r\n"));
    start();
    openThroughDialog(makePicture("a.bmp", 30, 20));
    ASSERT_EQ(names()->count(), 2);
    find<QPushButton>("cmdCLR")->click();
    EXPECT_EQ(names()->count(), 0);
    EXPECT_EQ(paths()->count(), 0);
    EXPECT_EQ(readBytes(historyFile()), "/old/one.bmp\r\n");  // untouched until exit
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
    EXPECT_TRUE(QFile::exists(historyFile()));
    EXPECT_EQ(QFileInfo(historyFile()).size(), 0);
}

TEST_F(HistoryWindowTest, LinesOfMixedEncodingsSurviveACloseByteForByte) {
    QDir().mkpath(settingsFolder);
    const QByteArray history = QStringLiteral("/home/u/写真/ねこ.jpg\r\n").toUtf8() +
                               QByteArray("/home/u/caf\xe9/\xe9t\xe9.bmp\r\n/home/u/plain.bmp\r\n");
    const QByteArray dorvel = QByteArray("0,,100,7,0,0,3,5,1,0,0,0,0,0,0\r\n") +
                              QStringLiteral("柔らか,80,7,5,3,5,7,5,3,1,3,5,3,1\r\n").toUtf8() +
                              QByteArray("caf\xe9,90,1,2,3,4,5,6,7,8,9,10,11,12\r\n");
    ASSERT_TRUE(writeBytes(historyFile(), history));
    ASSERT_TRUE(writeBytes(QDir(settingsFolder).filePath("Dorvel.ini"), dorvel));
    start();
    EXPECT_EQ(names()->count(), 3);
    EXPECT_EQ(paths()->item(0)->text(), QStringLiteral("/home/u/写真/ねこ.jpg"));
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
    EXPECT_EQ(readBytes(historyFile()), history);
    EXPECT_EQ(readBytes(QDir(settingsFolder).filePath("Dorvel.ini")), dorvel);
}

TEST_F(HistoryWindowTest, SettingsFilesThatCouldNotBeReadNeitherHoldTheStartNorAreWritten) {
    QDir().mkpath(settingsFolder);
    const QString dorvel = QDir(settingsFolder).filePath("Dorvel.ini");
    const QString editCol = QDir(settingsFolder).filePath("EditCol.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", dorvel));
    ASSERT_TRUE(QFile::link("/dev/zero", editCol));
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
    EXPECT_EQ(kept.size(), QSet<QString>(kept.begin(), kept.end()).size()) << "each told once";
    // The conversion window reads and writes Dorvel.ini when it converts; writing now and
    // at exit must leave every refused file as it was.
    EXPECT_TRUE(writeDiffusionPresets(settingsFolder, DiffusionPresets{}).ok());
    openThroughDialog(makePicture("a.bmp", 30, 20));
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
    EXPECT_EQ(readBytes(historyFile()), history);
    EXPECT_EQ(QFile::symLinkTarget(dorvel), "/dev/zero");
    EXPECT_EQ(QFile::symLinkTarget(editCol), "/dev/zero");
}

TEST_F(HistoryWindowTest, AFifoInPlaceOfTheHistoryIsNeitherReadNorReplaced) {
    QDir().mkpath(settingsFolder);
    ASSERT_EQ(mkfifo(historyFile().toLocal8Bit().constData(), 0600), 0);
    start();
    EXPECT_EQ(names()->count(), 0);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.front().text.contains(QStringLiteral("を読み込めません")));
    dialogs.answers.push_back(ui::MessageAnswer::Yes);
    window->close();
    struct stat info {};
    ASSERT_EQ(::lstat(historyFile().toLocal8Bit().constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

}  // namespace
}  // namespace kirimo::test
