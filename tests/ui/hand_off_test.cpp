// Pictures named on the command line and handed from a later start to the running copy.

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <vector>

#include "ui/busy_cursor.h"
#include "ui/hand_off_message.h"
#include "ui/single_instance.h"
#include "ui_fixture.h"

namespace kirimo::test {
namespace {

// Relative names, dot segments and file URLs made absolute; empty arguments skipped.
TEST(UiHandOff, PathsAreMadeAbsoluteAgainstTheStartFolder) {
    EXPECT_EQ(ui::absolutePicturePaths({"cat.jpg", "./sub/../dog.bmp", "/elsewhere/a b.png",
                                        "file:///photos/%E7%8C%AB%20one.jpg", ""},
                                       QStringLiteral("/start/here")),
              QStringList({"/start/here/cat.jpg", "/start/here/dog.bmp", "/elsewhere/a b.png",
                           QStringLiteral("/photos/猫 one.jpg")}));
}

TEST(UiHandOff, MessagesAreReadAsPathsWithinTheirBounds) {
    const QByteArray longest(ui::kHandOffPathLimit - 1, 'p');
    const QByteArray tooLong(ui::kHandOffPathLimit, 'p');
    const QByteArray notUtf8("/x\xFF\xC3(.bmp", 9);
    QByteArray atLimit(ui::kHandOffMessageLimit - 3, 'a');
    atLimit[ui::kHandOffMessageLimit - 4] = '\0';  // ends a piece too long to be a path
    const struct {
        const char* name;
        QByteArray message;
        QList<QByteArray> expected;
    } cases[] = {
        {"empty", "", {}},
        {"two paths", QByteArray("/a.bmp\0/b c.jpg\0", 16), {"/a.bmp", "/b c.jpg"}},
        {"cut off", QByteArray("/a\0/b", 5), {"/a"}},
        {"empty pieces", QByteArray("\0\0/a\0\0", 6), {"/a"}},
        {"bytes kept", notUtf8 + '\0', {notUtf8}},
        {"longest path", longest + '\0', {longest}},
        {"too long", tooLong + '\0' + "/a" + '\0', {"/a"}},
        // Bytes past the limit are not looked at: "/b" ends one byte beyond it.
        {"past the limit", atLimit + QByteArray("/a\0/b\0", 6), {"/a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ui::parseHandOffMessage(c.message), c.expected);
        // What is read back is what the writer sends for it.
        EXPECT_EQ(ui::parseHandOffMessage(ui::handOffMessage(c.expected)), c.expected);
    }
    // The writer leaves out what the reader would drop and stops at the limit.
    QList<QByteArray> many(ui::kHandOffMessageLimit / 3, "/p");
    const QByteArray written = ui::handOffMessage(many);
    EXPECT_LE(written.size(), ui::kHandOffMessageLimit);
    EXPECT_EQ(ui::parseHandOffMessage(written).size(), written.size() / 3);
    EXPECT_EQ(ui::handOffMessage({"", tooLong, QByteArray("a\0b", 3), "/ok"}),
              QByteArray("/ok\0", 4));
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(UiHandOff, FloodedConnectionsCostABoundedAmountOfMemory) {
    QTemporaryDir folder;
    ui::SingleInstance running(folder.path());
    ASSERT_TRUE(running.isFirst());
    QSignalSpy received(&running, &ui::SingleInstance::pathsReceived);
    running.startReceiving();
    // One shared megabyte for every sender: a path, then no end to it.
    QByteArray flood(1 << 20, 'x');
    flood.replace(0, 7, QByteArray("/first\0", 7));
    const QByteArray name = QFile::encodeName(folder.filePath("kirimo.socket"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));

    // Senders without Qt, so that their own memory is not counted: socket, bytes sent.
    const long before = peakResidentKiB();
    std::vector<std::pair<int, qsizetype>> senders(300);
    for (auto& [fd, sent] : senders) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ASSERT_GE(fd, 0);
        // Connected one at a time, so that each is handled or refused before the next.
        while (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ASSERT_EQ(errno, EAGAIN) << std::strerror(errno);
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    // Each writes as fast as the running copy takes it, until all of it went or the
    // running copy closed the connection (sent set to -1).
    for (bool busy = true; busy; QCoreApplication::processEvents()) {
        busy = false;
        for (auto& [fd, sent] : senders) {
            if (sent < 0 || sent == flood.size())
                continue;
            const ssize_t n =
                ::send(fd, flood.constData() + sent, static_cast<size_t>(flood.size() - sent),
                       MSG_DONTWAIT | MSG_NOSIGNAL);
            sent = n > 0 ? sent + n : n < 0 && errno != EAGAIN ? -1 : sent;
            busy = busy || (sent >= 0 && sent < flood.size());
        }
    }
    for (const auto& sender : senders)
        ::close(sender.first);
    // Connections cut at their limit still hand over the paths they completed.
    QTRY_VERIFY_WITH_TIMEOUT(received.count() >= ui::SingleInstance::kMaxConnections, 10000);
    EXPECT_EQ(received.at(0).at(0).toStringList(), QStringList{"/first"});
    EXPECT_LT(peakResidentKiB() - before, 16 * 1024);
    // The running copy still takes an ordinary hand-off.
    QTest::qWait(50);
    const int floods = static_cast<int>(received.count());
    const ui::SingleInstance later(folder.path());
    ASSERT_TRUE(later.sendPaths({QStringLiteral("/after.bmp")}));
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), floods + 1, 10000);
    EXPECT_EQ(received.last().at(0).toStringList(), QStringList{"/after.bmp"});
}

// Left behind by a copy that crashed, the socket is taken over by the next first copy;
// paths sent while it still starts arrive once it receives, and stalled connections close.
TEST(UiHandOff, PathsSentBeforeTheRunningCopyListensArriveAndStalledConnectionsClose) {
    QTemporaryDir folder;
    ASSERT_TRUE(writeBytes(folder.filePath("kirimo.socket"), "stale"));
    ui::SingleInstance running(folder.path());
    ASSERT_TRUE(running.isFirst());
    QSignalSpy received(&running, &ui::SingleInstance::pathsReceived);
    const ui::SingleInstance later(folder.path());
    ASSERT_FALSE(later.isFirst());
    const QStringList paths = {QStringLiteral("/pictures/猫 1.jpg"), QStringLiteral("/b.bmp")};
    ASSERT_TRUE(later.sendPaths(paths));
    ASSERT_TRUE(later.sendPaths({QStringLiteral("/second.bmp")}));
    QCoreApplication::processEvents();
    EXPECT_EQ(received.count(), 0);

    running.startReceiving();
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 2, 10000);
    EXPECT_EQ(received.at(0).at(0).toStringList(), paths);
    EXPECT_EQ(received.at(1).at(0).toStringList(), QStringList{"/second.bmp"});
    ASSERT_TRUE(later.sendPaths({}));  // an empty message opens nothing
    QTest::qWait(100);
    EXPECT_EQ(received.count(), 2);

    running.setConnectionTimeout(100);
    std::vector<std::unique_ptr<QLocalSocket>> stalled;
    for (int i = 0; i < ui::SingleInstance::kMaxConnections; ++i) {
        stalled.push_back(std::make_unique<QLocalSocket>());
        stalled.back()->connectToServer(folder.filePath("kirimo.socket"));
        ASSERT_TRUE(stalled.back()->waitForConnected(5000));
        stalled.back()->write(QByteArray("/half", 5));  // never ended, never closed
        stalled.back()->flush();
    }
    for (const auto& socket : stalled)
        QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, 10000);
    EXPECT_EQ(received.count(), 2);
    ASSERT_TRUE(later.sendPaths({QStringLiteral("/next.bmp")}));  // their places are free again
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 3, 10000);
}

// A lock left by an ended process does not count; a second copy hands its picture, named
// relative to its start folder, to the running copy and ends at once without touching
// settings.
TEST_F(UiTest, ASecondStartHandsItsPictureToTheRunningCopyAndEnds) {
    const QString runtime = root_.filePath(QStringLiteral("runtime"));  // as the platform makes it
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(writeBytes(QDir(runtime).filePath("kirimo.lock"),
                           "2147480000\nkirimo\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
    ui::SingleInstance running(runtime);
    ASSERT_TRUE(running.isFirst());
    EXPECT_FALSE(ui::SingleInstance(runtime).isFirst());
    start();
    QObject::connect(&running, &ui::SingleInstance::pathsReceived, window.get(),
                     [this](const QStringList& paths) { window->openWhenIdle(paths.first()); });
    running.startReceiving();
    const QString other = makePicture(QStringLiteral("other.bmp"), 5, 3);

    QProcess second;  // with its own runtime, settings and home folders
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", root_.filePath("config"));
    env.insert("HOME", root_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(pictureFolder);
    second.start(QStringLiteral(KIRIMO_APP_PATH), {"other.bmp"});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(sharedState().currentFileName, other, 10000);
    EXPECT_EQ(source()->windowTitle(), caption("other.bmp", 5, 3));
    EXPECT_EQ(history(), QStringList{other});
    EXPECT_FALSE(QFile::exists(root_.filePath("config")));
    EXPECT_FALSE(QFile::exists(root_.filePath("history.ini")));
    EXPECT_TRUE(running.isFirst());
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
    EXPECT_EQ(history(), QStringList{last});
    // A picture that cannot be read gets the open command's message.
    window->openWhenIdle(pictureFolder + QStringLiteral("/missing.bmp"));
    QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages.size(), size_t{1}, 10000);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("ﾌｧｲﾙ（%1/missing.bmp）がありません。").arg(pictureFolder));
    EXPECT_EQ(sharedState().currentFileName, last);
}

}  // namespace
}  // namespace kirimo::test
