// kirimo-cli never writes over what is not a plain file of its own, nor over its inputs,
// and keeps the exact bytes of names that are not UTF-8.

#include <sys/mount.h>
#include <sys/stat.h>

#include <QProcess>

#include "cli/cli_test.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::runCli;

class FileSafetyCli : public test::CliFolder {
  protected:
    void SetUp() override {
        CliFolder::SetUp();
        save("pic.bmp", test::randomPicture(6, 4, 3));
        save("second.bmp", test::randomPicture(5, 4, 9));
    }
};

// Each command with an output put in the place of `target`.
QList<QStringList> commandsWritingTo(const QString& target, const QString& pic,
                                     const QString& second) {
    return {
        {"convert", pic, target},
        {"edit", pic, target, "flip"},
        {"zigzag", pic, second, target, "--strip", "1"},
        {"chart", pic, target, "--sheet", "6x4"},
        {"stickers", target, pic},
    };
}

TEST_F(FileSafetyCli, AnOutputThatIsNotARegularFileIsRefusedAndLeftAlone) {
    const QString fifo = path("fifo.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString deviceLink = path("device.bmp");
    ASSERT_TRUE(QFile::link("/dev/null", deviceLink));
    for (const QString& target : {fifo, deviceLink}) {
        for (const QStringList& args :
             commandsWritingTo(target, path("pic.bmp"), path("second.bmp"))) {
            SCOPED_TRACE(args.join(' ').toStdString());
            const auto run = runCli(args);
            EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
        }
    }
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(QFile::symLinkTarget(deviceLink), "/dev/null");
}

TEST_F(FileSafetyCli, AnOutputThatIsAnInputIsRefusedHoweverItIsSpelled) {
    const QByteArray picture = readBytes(path("pic.bmp"));
    ASSERT_TRUE(QFile::link(path("pic.bmp"), path("alias.bmp")));
    for (const QString& target : {path("pic.bmp"), path("alias.bmp"), dir.path() + "/./pic.bmp"}) {
        for (const QStringList& args :
             commandsWritingTo(target, path("pic.bmp"), path("second.bmp"))) {
            SCOPED_TRACE(args.join(' ').toStdString());
            const auto run = runCli(args);
            EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains("it is the input")) << run.err.toStdString();
        }
    }
    // A chart image named like the picture: the whole run is refused before any image.
    ASSERT_TRUE(QFile::copy(path("pic.bmp"), path("c(2,1).bmp")));
    const auto images = runCli({"chart-images", path("c(2,1).bmp"), path("c"), "--sheet", "3x4"});
    EXPECT_EQ(images.exitCode, 2) << images.err.toStdString();
    EXPECT_TRUE(images.err.contains("it is the input")) << images.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("c(1,1).bmp")));
    // The report's own files count too: BASE.bmp is the converted picture itself.
    const auto report = runCli({"report", path("pic.bmp"), path("pic"), "--sheet", "2x2"});
    EXPECT_EQ(report.exitCode, 2) << report.err.toStdString();
    EXPECT_EQ(readBytes(path("pic.bmp")), picture);
    EXPECT_FALSE(QFile::exists(path("pic.txt")));
}

TEST_F(FileSafetyCli, APdfOnAFullDiskFailsAndTheEarlierFileStays) {
    const QString full = path("full");
    QDir().mkpath(full);
    if (::mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const QString pdf = QDir(full).filePath("o.pdf");
    test::writeBytes(pdf, "%PDF-1.4 a good chart");
    const QList<QStringList> runs = {
        {"chart", path("pic.bmp"), pdf, "--sheet", "1x1"},
        {"stickers", pdf, path("pic.bmp"), "--sheets", "20"},
    };
    QList<test::CliRun> results;
    for (const QStringList& args : runs)
        results << runCli(args);
    const QByteArray kept = readBytes(pdf);
    const QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden);
    ::umount(QFile::encodeName(full).constData());
    for (const test::CliRun& run : results) {
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("the disk is full")) << run.err.toStdString();
    }
    EXPECT_EQ(kept, "%PDF-1.4 a good chart");
    EXPECT_EQ(left, QStringList{"o.pdf"});
}

TEST_F(FileSafetyCli, NamesThatAreNotUtf8ReachTheFileSystemAsTheyWere) {
    // The names are made by the shell from octal escapes: CP932 for 猫 in, 0xFF out.
    ASSERT_TRUE(QFile::copy(path("pic.bmp"), path("tmp.bmp")));
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start("/bin/sh", {"-c",
                            "mv tmp.bmp \"$(printf 'in\\224\\114.bmp')\" && \"$0\" convert "
                            "\"$(printf 'in\\224\\114.bmp')\" \"$(printf 'out\\377.bmp')\"",
                            QStringLiteral(KIRIMO_CLI_PATH)});
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    struct stat info {};
    const QByteArray folder = QFile::encodeName(dir.path());
    EXPECT_EQ(::stat((folder + "/out\xFF.bmp").constData(), &info), 0);
    EXPECT_NE(::stat((folder + "/out\xEF\xBF\xBD.bmp").constData(), &info), 0);
}

}  // namespace
}  // namespace kirimo
