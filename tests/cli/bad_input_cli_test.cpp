#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "core/picture_file.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::runCli;

class BadInputCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        picture = test::randomPicture(40, 30, 3);
        ASSERT_TRUE(savePictureBmp(path("in.bmp"), picture).ok());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    PixelBuffer picture;
};

TEST_F(BadInputCli, RefusesWithAClearMessageAndWritesNothing) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(mkfifo(path("pipe.jpg").toLocal8Bit().constData(), 0600), 0);
    const QByteArray bmp = test::readBytes(path("in.bmp"));
    ASSERT_TRUE(test::writeBytes(path("cut.bmp"), bmp.left(100)));
    const QString in = path("in.bmp");
    const QString out = path("out.bmp");
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"convert", path("folder"), out}, "it is a folder"},
        {{"convert", path("pipe.jpg"), out}, "not a regular file"},
        {{"convert", path("cut.bmp"), out}, "ends early"},
        {{"edit", path("cut.bmp"), out, "flip"}, "ends early"},
        {{"report", in, "", "--sheet", "5x5"}, "names no file"},
        {{"report", in, path("folder") + "/", "--sheet", "5x5"}, "names no file"},
        {{"report", in, path("folder"), "--sheet", "5x5"}, "names no file"},
        {{"convert", in, out, "--sheet", "5x5", "--report", dir.path() + "/"}, "names no file"},
    };
    const QStringList before = entries();
    for (const auto& c : cases) {
        const auto run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(entries(), before) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QDir(path("folder")).isEmpty());
    }
}

TEST_F(BadInputCli, EveryCommandPrintsItsUsageOnHelp) {
    for (const char* command :
         {"chart", "chart-images", "convert", "edit", "report", "sort", "stickers", "zigzag"}) {
        for (const char* flag : {"--help", "-h"}) {
            const auto run = runCli({command, flag});
            EXPECT_EQ(run.exitCode, 0) << command;
            EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: kirimo-cli ") + command))
                << run.out.toStdString();
        }
    }
}

TEST_F(BadInputCli, AFullDiskIsNamed) {
    // A small memory file system of its own, where the user may mount one.
    const QString mount = path("small");
    ASSERT_TRUE(QDir(dir.path()).mkdir("small"));
    QProcess shell;
    shell.start("unshare", {"-rm", "sh", "-c",
                            "mount -t tmpfs -o size=64k none \"$1\" || exit 77; shift; \"$@\"",
                            "sh", mount, QStringLiteral(KIRIMO_CLI_PATH), "convert", path("in.bmp"),
                            mount + "/out.bmp", "--sheet", "1x1", "--report", mount + "/r"});
    ASSERT_TRUE(shell.waitForFinished(60000));
    if (shell.exitCode() == 77 || shell.error() == QProcess::FailedToStart)
        GTEST_SKIP() << "no mount namespace here";
    const QString err = QString::fromUtf8(shell.readAllStandardError());
    EXPECT_EQ(shell.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains("the disk is full")) << err.toStdString();
}

}  // namespace
}  // namespace kirimo
