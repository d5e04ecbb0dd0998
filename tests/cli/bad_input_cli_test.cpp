#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <random>

#include "core/picture_file.h"
#include "core/symbol_settings_file.h"
#include "core/text_file.h"
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

TEST_F(BadInputCli, SaysWhatIsWrongWithAFile) {
    const auto converted = runCli({"convert", path("in.bmp"), path("dots.bmp")});
    ASSERT_EQ(converted.exitCode, 0) << converted.err.toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    ASSERT_EQ(mkfifo(path("pipe.ini").toLocal8Bit().constData(), 0600), 0);
    ASSERT_EQ(symlink("loop", path("loop").toLocal8Bit().constData()), 0);
    ASSERT_TRUE(test::writeBytes(path("empty.bmp"), ""));
    std::mt19937 random(7);
    QByteArray garbage(1 << 16, '\0');
    for (char& byte : garbage)
        byte = static_cast<char>(random());
    ASSERT_TRUE(test::writeBytes(path("garbage.ini"), garbage));
    // A symbol file as the program writes it, with a font no machine has and a picture
    // name holding a zero byte.
    SymbolSettings symbols;
    applyDefaultSymbols(symbols);
    symbols.fontName = QStringLiteral("Kirimo No Such Font");
    symbols.colours[0].pictures[0].path = QStringLiteral("/pictures/a") + QChar(u'\0') + "b.png";
    ASSERT_TRUE(writeTextLines(path("font.ini"), symbolSettingsLines(symbols)).ok());

    const QString dots = path("dots.bmp");
    const QStringList chart = {"chart", dots, path("out.pdf"), "--sheet", "10x10", "--symbols"};
    const QStringList images = {"chart-images", dots, path("img"), "--sheet", "10x10", "--symbols"};
    const struct {
        QStringList args;
        int status;
        QString says;
    } cases[] = {
        {chart + QStringList{path("folder")}, 2, "it is a folder"},
        {images + QStringList{path("pipe.ini")}, 2, "it is not a regular file"},
        {chart + QStringList{path("loop")}, 2, "too many levels of symbolic links"},
        {chart + QStringList{path("garbage.ini")}, 2,
         "garbage.ini\" is not a symbol settings file"},
        {chart + QStringList{path("font.ini")}, 0,
         "the symbol font \"Kirimo No Such Font\" named in"},
        {{"convert", path("loop"), path("out.bmp")}, 2, "too many levels of symbolic links"},
        {{"convert", path("empty.bmp"), path("out.bmp")}, 2, "as a picture: the file is empty"},
        {{"convert", path("in.bmp"), path("out.bmp"), "--sheet", "4x4", "--report",
          path("missing/base")},
         1,
         "the dot picture \"" + path("out.bmp") +
             "\" was written, but not the report: cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const QStringList before = entries();
        const auto run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.status);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        // Said once, and without Qt's own warnings.
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        if (c.status == 2) {
            EXPECT_EQ(entries(), before);
        }
    }
    EXPECT_TRUE(QFile::exists(path("out.pdf")));
    EXPECT_TRUE(QFile::exists(path("out.bmp")));  // as the last message says
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
