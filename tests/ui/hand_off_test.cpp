// Pictures named on the command line and handed from a later start to the running copy.

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "ui/busy_cursor.h"
#include "ui/frm_last.h"
#include "ui/single_instance.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

TEST(UiHandOff, PathsAreMadeAbsoluteAgainstTheStartFolder) {
    const struct {
        const char* argument;
        const char* expected;
    } cases[] = {
        {"cat.jpg", "/start/here/cat.jpg"},
        {"./sub/../dog.bmp", "/start/here/dog.bmp"},
        {"/elsewhere/a b.png", "/elsewhere/a b.png"},
        {"file:///photos/%E7%8C%AB%20one.jpg", "/photos/猫 one.jpg"},
        {"", nullptr},  // skipped
    };
    QStringList arguments, expected;
    for (const auto& c : cases) {
        arguments << QString::fromUtf8(c.argument);
        if (c.expected != nullptr)
            expected << QString::fromUtf8(c.expected);
    }
    EXPECT_EQ(ui::absolutePicturePaths(arguments, QStringLiteral("/start/here")), expected);
}

TEST(UiHandOff, PathsReachTheRunningCopyAlsoWhenSentBeforeItListens) {
    QTemporaryDir folder;
    // Left behind by a copy that crashed: the next first copy listens in its place.
    ASSERT_TRUE(writeBytes(folder.filePath("kirimo.socket"), "stale"));
    ui::SingleInstance running(folder.path());
    ASSERT_TRUE(running.isFirst());
    QSignalSpy received(&running, &ui::SingleInstance::pathsReceived);

    const ui::SingleInstance later(folder.path());
    ASSERT_FALSE(later.isFirst());
    const QStringList paths = {QStringLiteral("/pictures/猫 1.jpg"), QStringLiteral("/b.bmp")};
    // Sent while the running copy is still starting: it arrives once receiving starts.
    ASSERT_TRUE(later.sendPaths(paths));
    ASSERT_TRUE(later.sendPaths({QStringLiteral("/second.bmp")}));
    QCoreApplication::processEvents();
    EXPECT_EQ(received.count(), 0);

    running.startReceiving();
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 2, 10000);
    EXPECT_EQ(received.at(0).at(0).toStringList(), paths);
    EXPECT_EQ(received.at(1).at(0).toStringList(), QStringList{"/second.bmp"});
    // An empty message opens nothing.
    ASSERT_TRUE(later.sendPaths({}));
    QTest::qWait(100);
    EXPECT_EQ(received.count(), 2);
}

TEST_F(UiTest, ASecondStartHandsItsPictureToTheRunningCopy) {
    const QString runtime = makeRuntimeFolder(root_.filePath(QStringLiteral("runtime")));
    ui::SingleInstance running(runtime);
    ASSERT_TRUE(running.isFirst());
    start();
    QObject::connect(&running, &ui::SingleInstance::pathsReceived, window.get(),
                     [this](const QStringList& paths) { window->openWhenIdle(paths.first()); });
    running.startReceiving();
    const QString other = makePicture(QStringLiteral("other.bmp"), 5, 3);

    QProcess second;  // in the picture's folder: the name is given relative to it
    ASSERT_TRUE(runOtherCopy(second, runtime, root_.path(), pictureFolder, {"other.bmp"}));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    QTRY_COMPARE_WITH_TIMEOUT(sharedState().currentFileName, other, 10000);
    EXPECT_EQ(source()->windowTitle(), QStringLiteral("元画像[other.bmp]（5×3）  "));
    EXPECT_EQ(window->historyWindow()->entries(), QStringList{other});
    EXPECT_FALSE(QFile::exists(root_.filePath("config")));
}

TEST_F(UiTest, AHandedPictureWaitsWhileTheProgramIsBusy) {
    start();
    const QString first = makePicture(QStringLiteral("first.bmp"), 4, 4);
    const QString last = makePicture(QStringLiteral("last.bmp"), 6, 2);
    {
        const ui::BusyCursor busy;
        window->openWhenIdle(first);
        window->openWhenIdle(last);  // replaces the one still waiting
        QTest::qWait(300);
        EXPECT_TRUE(sharedState().currentFileName.isEmpty());
    }
    QTRY_COMPARE_WITH_TIMEOUT(sharedState().currentFileName, last, 10000);
    EXPECT_EQ(window->historyWindow()->entries(), QStringList{last});

    // A picture that cannot be read gets the open command's message.
    window->openWhenIdle(pictureFolder + QStringLiteral("/missing.bmp"));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages.size(), size_t{1}, 10000);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("ﾌｧｲﾙ（%1/missing.bmp）がありません。").arg(pictureFolder));
    EXPECT_EQ(sharedState().currentFileName, last);
}

}  // namespace
}  // namespace kirimo::test
