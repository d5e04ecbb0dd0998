// Every kirimo-cli command refuses what it cannot do with one message that says why, the
// exit status for it, and the folder left byte for byte as it was; it never writes over
// what is not a plain file of its own, nor over its inputs, and accepts its limits
// themselves.

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <random>

#include "cli/cli_test.h"
#include "core/symbol_settings_file.h"
#include "core/text_file.h"

namespace kirimo {
namespace {

class Refusals : public test::CliFolder {
  protected:
    void SetUp() override {
        CliFolder::SetUp();
        save("in.bmp", test::randomPicture(40, 30, 3));
        saveChartInputs();
        PixelBuffer white = test::filledBuffer(101, 100, 0xFFFFFF);
        white.at(0, 0) = 0;
        save("many.bmp", white);  // 10,100 sheets of 1 x 1
        save("zig.bmp", test::randomPicture(20, 10, 8));
        ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
        ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.jpg")).constData(), 0600), 0);
        ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.bmp")).constData(), 0600), 0);
        ASSERT_EQ(symlink("loop", QFile::encodeName(path("loop")).constData()), 0);
        ASSERT_TRUE(QFile::link("/dev/null", path("device.bmp")));
        ASSERT_TRUE(QFile::link(path("in.bmp"), path("alias.bmp")));
        ASSERT_EQ(link(QFile::encodeName(path("in.bmp")).constData(),
                       QFile::encodeName(path("hard.bmp")).constData()),
                  0);
        ASSERT_TRUE(QFile::copy(path("dots.bmp"), path("c(2,1).bmp")));
        const QByteArray bmp = test::readBytes(path("in.bmp"));
        ASSERT_TRUE(test::writeBytes(path("cut.bmp"), bmp.left(100)));
        ASSERT_TRUE(test::writeBytes(path("broken.jpg"), test::readBytes(path("a.bmp")).left(20)));
        ASSERT_TRUE(test::writeBytes(path("empty.bmp"), ""));
        ASSERT_TRUE(test::writeBytes(path("garbage.jpg"), "not a picture"));
        ASSERT_TRUE(test::writeBytes(path("earlier.bmp"), "earlier file"));
        ASSERT_TRUE(test::writeBytes(path("earlier.png"), "earlier file"));
        ASSERT_TRUE(test::writeBytes(path("set.ini"), "perler\r\nNOT-A-CODE\r\n"));
        std::mt19937 random(7);
        QByteArray garbage(1 << 16, '\0');
        for (char& byte : garbage)
            byte = static_cast<char>(random());
        ASSERT_TRUE(test::writeBytes(path("garbage.ini"), garbage));
    }
    // "@name" stands for the file `name` of the test's folder.
    QStringList expand(const QStringList& args) const {
        QStringList expanded;
        for (const QString& arg : args)
            expanded << (arg.startsWith('@') ? path(arg.mid(1)) : arg);
        return expanded;
    }
};

// Each run is a base (the command with its usual files) and the arguments after it.
QStringList baseArgs(const QString& base) {
    static const std::map<QString, QStringList> bases = {
        {"", {}},
        {"chart", {"chart", "@dots.bmp", "@o.pdf", "--sheet", "3x2"}},
        {"chart on", {"chart", "@dots.bmp", "@o.pdf"}},
        {"images", {"chart-images", "@dots.bmp", "@img"}},
        {"convert", {"convert", "@in.bmp", "@o.bmp"}},
        {"report", {"report", "@dots.bmp", "@r"}},
        {"edit", {"edit", "@in.bmp", "@earlier.bmp"}},
        {"zigzag", {"zigzag", "@zig.bmp", "@in.bmp", "@earlier.bmp"}},
        {"stickers", {"stickers", "@o.pdf", "@a.bmp"}},
    };
    return bases.at(base);
}

struct Refusal {
    const char* base;
    QStringList args;
    const char* says;
    int status = 2;
};

const Refusal kRefusals[] = {
    // chart: sheets, cells and flags
    {"chart", {"--cell", "0x500"}, "区切り線が引けません"},
    {"chart", {"--margin", "0", "--cell", "100x5"}, "横がはみ出ます"},
    {"chart", {"--margin", "0", "--cell", "99x104"}, "縦がはみ出ます"},
    {"chart", {"--margin", "0", "--portrait", "--cell", "71x10"}, "横がはみ出ます"},
    {"chart", {"--cell", "99x10"}, "横がはみ出ます"},
    {"chart on", {"--sheet", "0x2"}, "--sheet"},
    {"chart", {"--cell", "2.5x3"}, "--cell"},
    {"chart", {"--lines", "wavy"}, "--lines"},
    {"chart", {"--bold-every", "0"}, "--bold-every"},
    {"chart", {"--bold-every", "2", "--lines", "none"}, "needs grid lines"},
    {"chart", {"--pages", "1,1;3,1"}, "\"3,1\" names no sheet"},
    {"chart", {"--pages", "1,1;a,b"}, "\"a,b\" is malformed"},
    {"chart", {"--pages", "1;2"}, "\"1\" is malformed"},
    {"chart", {"--user-colour", "12345"}, "--user-colour"},
    {"chart", {"--symbols", "/no/such.ini"}, "no such file"},
    {"chart", {"--colours", "1"}, "unknown option"},
    {"images", {"--sheet", "3x2", "--lines", "none"}, "unknown option"},
    // chart: what a page or a document can hold
    {"", {"chart", "@many.bmp", "@o.pdf", "--sheet", "1x1"}, "would have 10100 pages, more"},
    {"chart on", {"--sheet", "99999x1"}, "the sheet 99999x1 is wider than the page can hold"},
    {"chart on", {"--sheet", "1x99999", "--portrait"}, "at most 199x283 dots"},
    {"chart on", {"--sheet", "30x30", "--cell", "99999x99999"}, "at most 9x6 mm for this sheet"},
    {"", {"chart-images", "@many.bmp", "@img", "--sheet", "1x1"}, "10100 files, more than"},
    // chart: files that are not what they should be
    {"chart", {"--symbols", "@folder"}, "it is a folder"},
    {"images", {"--sheet", "3x2", "--symbols", "@pipe.jpg"}, "it is not a regular file"},
    {"chart", {"--symbols", "@loop"}, "too many levels of symbolic links"},
    {"chart", {"--symbols", "@garbage.ini"}, "garbage.ini\" is not a symbol settings file"},
    // convert
    {"", {"convert", "@in.bmp"}, "expected INPUT"},
    {"convert", {"--palette", "7"}, "--palette"},
    {"convert", {"--weights", "1,2,3"}, "--weights"},
    {"convert", {"--weights", "1,0,0,0,0,0,0,0,0,0,0,40000"}, "40000"},
    {"convert", {"--weights", "1,0,0,0,0,0,0,0,0,0,0,x"}, "\"x\""},
    {"convert", {"--method", "fs", "--weights", "1,0,0,0,0,0,0,0,0,0,0,0"}, "together"},
    {"convert", {"--palette", "8", "--colours", "1"}, "together"},
    {"convert", {"--colours", "18"}, "--colours"},
    {"convert", {"--user-colour", "12345G"}, "--user-colour"},
    {"convert", {"--space", "lab"}, "--space"},
    {"convert", {"--rate"}, "needs a value"},
    {"convert", {"--bogus"}, "--bogus"},
    {"", {"convert", "@in.bmp", "@o.png"}, ".bmp"},
    {"", {"convert", "@missing.bmp", "@o.bmp"}, "missing.bmp"},
    {"", {"convert", "@garbage.jpg", "@o.bmp"}, "garbage.jpg"},
    {"convert", {"--sheet", "0x5", "--report", "@r"}, "--sheet"},
    {"convert", {"--sheet", "5x5"}, "--report"},
    {"convert", {"--report", "@r"}, "--sheet"},
    {"convert", {"--sheet", "5by5", "--report", "@r"}, "--sheet"},
    {"convert", {"--sheet", "5x5", "--report", "@folder/"}, "names no file"},
    {"convert", {"--colour-set-file", "@set.ini"}, "is not a usable colour set file"},
    {"", {"convert", "@in.bmp", "@no/such/folder/o.bmp"}, "o.bmp", 1},
    // bad input pictures
    {"", {"convert", "@folder", "@o.bmp"}, "it is a folder"},
    {"", {"convert", "@pipe.jpg", "@o.bmp"}, "not a regular file"},
    {"", {"convert", "@cut.bmp", "@o.bmp"}, "ends early"},
    {"", {"convert", "@loop", "@o.bmp"}, "too many levels of symbolic links"},
    {"", {"convert", "@empty.bmp", "@o.bmp"}, "as a picture: the file is empty"},
    {"", {"edit", "@cut.bmp", "@o.bmp", "flip"}, "ends early"},
    // an output that is an input, whatever its name
    {"", {"chart-images", "@c(2,1).bmp", "@c", "--sheet", "3x2"}, "it is the input"},
    {"", {"report", "@in.bmp", "@in", "--sheet", "2x2"}, "it is the input"},
    // report
    {"", {"report", "@dots.bmp", "", "--sheet", "5x5"}, "names no file"},
    {"", {"report", "@dots.bmp", "@folder/", "--sheet", "5x5"}, "names no file"},
    {"", {"report", "@dots.bmp", "@folder", "--sheet", "5x5"}, "names no file"},
    {"report", {}, "--sheet"},
    {"report", {"--sheet", "2x2", "--sheet", "3x3"}, "twice"},
    {"report", {"extra", "--sheet", "2x2"}, "expected CONVERTED.bmp, BASE and --sheet WxH"},
    {"report", {"--sheet", "2x2", "--frobnicate"}, "--frobnicate"},
    {"report", {"--sheet", "2x2", "--rate", "101"}, "--rate"},
    // Two million rows per sheet for three rows of dots: millions of empty lines.
    {"report", {"--sheet", "1x2000000"}, "1 x 2000000"},
    {"", {"report", "@missing.bmp", "@r", "--sheet", "2x2"}, "missing.bmp"},
    {"", {"report", "@dots.bmp", "@no/such/folder/r", "--sheet", "2x2"}, "no/such/folder/r.txt", 1},
    // edit: the output stays as it was
    {"edit", {"flip", "sharpen"}, "unknown operation"},
    {"edit", {"resize=60000x60000"}, "too large"},
    {"", {"edit", "@missing.bmp", "@earlier.bmp", "flip"}, "missing.bmp"},
    {"edit", {}, "usage"},
    {"", {"edit", "@in.bmp", "@earlier.png", "flip"}, ".bmp"},
    // zigzag
    {"zigzag", {}, "usage"},
    {"zigzag", {"--strip", "5", "--offset-a", "1;2"}, "X,Y"},
    {"zigzag", {"--strip", "5", "--offset-b", "1,"}, "X,Y"},
    {"zigzag", {"--strip", "5", "--offset-a", "-2147483649,0"}, "X,Y"},
    {"zigzag", {"--strip", "5", "--strip", "6"}, "twice"},
    {"zigzag", {"--strip", "5", "--width", "6"}, "unknown option"},
    {"", {"zigzag", "@zig.bmp", "@none.bmp", "@earlier.bmp", "--strip", "5"}, "none.bmp"},
    {"zigzag", {"--strip"}, "needs a value"},
    {"zigzag", {"--strip", "21"}, "wider than the common width of the two pictures (20 pixels)"},
    // stickers
    {"", {"stickers", "@o.pdf"}, "expected OUT.pdf and at least one PICTURE"},
    {"stickers", {"--size", "211x10"}, "does not fit inside the page's margin (199x286 mm)"},
    {"stickers", {"--size", "10x211", "--landscape"}, "(286x199 mm)"},
    {"stickers", {"--frame"}, "--frame"},
    {"stickers", {"--margin", "51"}, "from 0 to 50"},
    {"stickers", {"@missing.bmp"}, "missing.bmp"},
    {"stickers", {"@broken.jpg"}, "broken.jpg"},
    {"stickers", {"--sheets", "10001"}, "would have 10001 pages, more than the 10000"},
    {"stickers", {"@b.bmp", "--sheets", "5001"}, "would have 10002 pages"},
    {"stickers", {"--sheets", "2147483647"}, "2147483647 pages"},
    {"stickers", {"--size", "1x1"}, "--size 1x1 leaves no room for the picture"},
    {"stickers", {"--size", "20x1"}, "at least 2 mm"},
    // sort and colour-sets
    {"", {"sort"}, "usage"},
    {"", {"colour-sets", "bogus"}, "the known ones are: artkal_a"},
};

// Values of one flag, each refused with the same message ("resize=" takes its value joined).
const struct {
    const char* base;
    QString flag;
    QStringList values;
    const char* says;
} kRefusedValues[] = {
    {"chart", "--margin", {"51", "-1"}, "--margin must be a whole number"},
    {"chart", "--pages", {"1,0", "0,1", "1,3"}, "names no sheet"},
    {"chart", "--seed", {"-1", "2147483648", "x"}, "--seed must be a whole number from 0 to"},
    {"convert", "--rate", {"101", "5.5", "-1"}, "--rate"},
    {"convert", "--density", {"10,10", "10,51,10", "0,-1,0"}, "--density"},
    {"report", "--sheet", {"0x30", "3x0", "-3x-3", "30", "2.5x3", "99999999999x1"}, "--sheet"},
    {"edit", "resize=", {"19x400", "400x19"}, "at least 20"},
    {"edit",
     "resize=",
     {"40", "40x", "+40x40", "40x40.5", " 40x40", "-40x40", "99999999999x40"},
     "WxH"},
    {"zigzag", "--strip", {"0", "-4", "2.5", "abc", ""}, "positive whole number"},
    {"stickers", "--size", {"0x10", "10x0", "10"}, "--size"},
    {"stickers", "--size", {"200x10", "10x287"}, "(199x286 mm)"},
    {"stickers", "--sheets", {"0", "x"}, "--sheets"},
};

TEST_F(Refusals, OneMessageTheStatusAndNothingWritten) {
    std::vector<Refusal> all(std::begin(kRefusals), std::end(kRefusals));
    for (const auto& c : kRefusedValues) {
        for (const QString& value : c.values) {
            all.push_back(
                {c.base,
                 c.flag.endsWith('=') ? QStringList{c.flag + value} : QStringList{c.flag, value},
                 c.says});
        }
    }
    // Each command with its output put in the place of a device, a FIFO or its input.
    for (const auto& [target, says] : {std::pair{"@fifo.bmp", "not a regular file"},
                                       {"@device.bmp", "not a regular file"},
                                       {"@in.bmp", "it is the input"},
                                       {"@alias.bmp", "it is the input"},
                                       {"@hard.bmp", "it is the input"},
                                       {"@./in.bmp", "it is the input"}}) {
        for (const QStringList& args : {QStringList{"convert", "@in.bmp", target},
                                        {"edit", "@in.bmp", target, "flip"},
                                        {"zigzag", "@in.bmp", "@zig.bmp", target, "--strip", "1"},
                                        {"chart", "@in.bmp", target, "--sheet", "6x4"},
                                        {"stickers", target, "@in.bmp"}})
            all.push_back({"", args, says});
    }
    for (const Refusal& c : all) {
        const QStringList args = expand(baseArgs(c.base) + c.args);
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto before = contents();
        const auto run = test::runCli(args);
        EXPECT_EQ(run.exitCode, c.status);
        EXPECT_TRUE(run.err.startsWith("kirimo-cli " + args[0] + ": ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        // Said once, without Qt's own warnings; a usage text may follow.
        EXPECT_EQ(run.err.section("Usage: ", 0, 0).count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(before == contents());
    }
}

// The runs that get as far as writing say what they could not do, and keep what they wrote.
TEST_F(Refusals, WarningsAndHalfFinishedRunsSayWhatHappened) {
    // A symbol file as the program writes it, with a font no machine has and a picture name
    // holding a zero byte.
    SymbolSettings symbols;
    applyDefaultSymbols(symbols);
    symbols.fontName = QStringLiteral("Kirimo No Such Font");
    symbols.colours[0].pictures[0].path = QStringLiteral("/pictures/a") + QChar(u'\0') + "b.png";
    ASSERT_TRUE(writeTextLines(path("font.ini"), symbolSettingsLines(symbols)).ok());
    const struct {
        QStringList args;
        int status;
        QString says;
        QString written;
    } cases[] = {
        {{"chart", path("dots.bmp"), path("o.pdf"), "--sheet", "3x2", "--symbols",
          path("font.ini")},
         0,
         "the symbol font \"Kirimo No Such Font\" named in",
         "o.pdf"},
        {{"convert", path("in.bmp"), path("o.bmp"), "--sheet", "4x4", "--report",
          path("missing/base")},
         1,
         "the dot picture \"" + path("o.bmp") + "\" was written, but not the report: cannot write",
         "o.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto run = test::runCli(c.args);
        EXPECT_EQ(run.exitCode, c.status);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(QFile::exists(path(c.written)));
    }
}

TEST_F(Refusals, EveryCommandPrintsItsUsageOnHelp) {
    for (const char* command :
         {"chart", "chart-images", "convert", "edit", "report", "sort", "stickers", "zigzag"}) {
        for (const char* flag : {"--help", "-h"}) {
            const auto run = test::runCli({command, flag});
            EXPECT_EQ(run.exitCode, 0) << command;
            EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: kirimo-cli ") + command))
                << run.out.toStdString();
        }
    }
}

// Each limit itself is accepted: the margin, the cell and the sheet that just fit, the
// smallest resize, a strip as wide as the pictures, a bold line on every line, the largest
// seed, the lowest offset, the ends of the rate and the density.
TEST_F(Refusals, TheLimitsThemselvesAreAccepted) {
    const std::pair<const char*, QStringList> cases[] = {
        {"chart", {"--margin", "50"}},
        {"chart", {"--margin", "0", "--cell", "99x103"}},
        {"chart", {"--margin", "0", "--portrait", "--cell", "70x10"}},
        {"chart", {"--bold-every", "1"}},
        {"chart", {"--seed", "2147483647"}},
        {"convert", {"--rate", "0", "--density", "50,0,50"}},
        {"convert", {"--rate", "100"}},
        {"chart on", {"--sheet", "199x283", "--portrait"}},
        {"chart on", {"--sheet", "286x196"}},
        {"stickers", {"--margin", "50"}},
        {"stickers", {"--size", "199x286"}},
        {"stickers", {"--size", "297x210", "--landscape", "--margin", "0"}},
        {"edit", {"resize=20x20"}},
        {"zigzag", {"--strip", "20"}},
        {"zigzag", {"--strip", "20", "--offset-a", "-2147483648,0"}},
    };
    for (const auto& [base, args] : cases)
        runOk(expand(baseArgs(base) + args));
}

// On a full disk a run says so with status 1: a PDF that could not be written whole
// leaves the earlier file, and a report the dot picture written before it.
TEST_F(Refusals, AFullDiskIsNamedAndTheEarlierFileStays) {
    const QString full = path("full");
    ASSERT_TRUE(QDir(dir.path()).mkdir("full"));
    if (::mount("tmpfs", QFile::encodeName(full).constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const QString pdf = full + "/o.pdf";
    test::writeBytes(pdf, "%PDF-1.4 a good chart");
    const QList<QStringList> runs = {
        {"chart", path("zig.bmp"), pdf, "--sheet", "2x2"},
        {"stickers", pdf, path("a.bmp"), "--sheets", "20"},
        {"convert", path("in.bmp"), full + "/out.bmp", "--sheet", "1x1", "--report", full + "/r"},
    };
    QList<test::CliRun> results;
    for (const QStringList& args : runs)
        results << test::runCli(args);
    const QByteArray kept = test::readBytes(pdf);
    const QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden);
    ::umount(QFile::encodeName(full).constData());
    for (const test::CliRun& run : results) {
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("the disk is full")) << run.err.toStdString();
    }
    EXPECT_EQ(kept, "%PDF-1.4 a good chart");
    EXPECT_EQ(left, QStringList({"o.pdf", "out.bmp"}));
}

TEST_F(Refusals, NamesThatAreNotUtf8ReachTheFileSystemAsTheyWere) {
    // The names are made by the shell from octal escapes: CP932 for 猫 in, 0xFF out.
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start("/bin/sh", {"-c",
                            "cp in.bmp \"$(printf 'in\\224\\114.bmp')\" && \"$0\" convert "
                            "\"$(printf 'in\\224\\114.bmp')\" \"$(printf 'out\\377.bmp')\"",
                            QStringLiteral(KIRIMO_CLI_PATH)});
    ASSERT_TRUE(shell.waitForFinished(60000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    struct stat info {};
    const QByteArray folder = QFile::encodeName(dir.path());
    EXPECT_EQ(::stat((folder + "/out\xFF.bmp").constData(), &info), 0);
    EXPECT_NE(::stat((folder + "/out\xEF\xBF\xBD.bmp").constData(), &info), 0);
    // QDir cannot name them to remove them.
    ::unlink((folder + "/out\xFF.bmp").constData());
    ::unlink((folder + "/in\x94\x4C.bmp").constData());
}

}  // namespace
}  // namespace kirimo
