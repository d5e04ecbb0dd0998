// The settings files: symbols (CodeUsePrint.ini), diffusion presets (Dorvel.ini), the
// printing window's choices (PrintInfo.ini), and with EditCol.ini and the history every
// settings file missing, empty or unreadable; numbers typed into settings and the short
// texts built from settings and paths.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/colour_table.h"
#include "core/colour_usage.h"
#include "core/conversion_texts.h"
#include "core/diffusion_presets.h"
#include "core/file_names.h"
#include "core/history_file.h"
#include "core/number_rules.h"
#include "core/print_info_file.h"
#include "core/symbol_settings_file.h"
#include "core/symbol_slots.h"
#include "core/text_file.h"
#include "core/zigzag_texts.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::writeBytes;

class SymbolSettingsFile : public ::testing::Test {
  protected:
    QString file() const { return QDir(folder.path()).filePath(kCodeUsePrintFileName); }
    QStringList section(int k) const { return symbolSettingsLines(settings).mid(1 + 14 * k, 14); }
    QString picture(const QString& name) const {
        const QString path = QDir(folder.path()).filePath(name);
        EXPECT_TRUE(writeBytes(path, "x"));
        return path;
    }
    SymbolSettings reread() const {
        SymbolSettings read;
        readSymbolSettings(folder.path(), read);
        return read;
    }
    QTemporaryDir folder;
    SymbolSettings settings;
};

TEST_F(SymbolSettingsFile, TheColourNameGoesFirstAndASecondWriteChangesNothing) {
    // Without a file every colour offers its own name, used; the font stays.
    settings.fontName = "kept";
    readSymbolSettings(folder.path(), settings);
    EXPECT_EQ(settings.fontName, "kept");
    for (int k = 0; k < kColourCount; ++k)
        EXPECT_TRUE(settings.colours[k].characters == colourName(k) &&
                    flagIsUsed(settings.colours[k].flags, 0))
            << k;
    settings.fontName = "IPAexGothic";
    settings.bold = 5;
    settings.colours[0].characters = "ABC";
    settings.colours[0].flags = "-1,0,-1";
    settings.colours[17].characters = "xyz";
    putColourNamesFirst(settings);
    ASSERT_TRUE(writeSymbolSettings(folder.path(), settings).ok());
    const QStringList lines = *readTextLines(file());
    ASSERT_EQ(lines.size(), 1 + 18 * 14);
    EXPECT_EQ(lines[0], "IPAexGothic,1,0");
    EXPECT_EQ(lines.mid(1, 14),
              QStringList({"[黒]", "黒ABC", "0,-1,0,-1", "<画像>"}) + QStringList(10, ","));
    EXPECT_EQ(lines.mid(1 + 17 * 14, 3), QStringList({"[]", "xyz", "1"}));
    EXPECT_EQ(lines[1 + 2 * 14 + 1], "赤") << "already first: unchanged";
    EXPECT_TRUE(readBytes(file()).contains("\r\n"));
    SymbolSettings read = reread();
    EXPECT_EQ(read.colours[0].characters, "黒ABC");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(flagIsUsed(read.colours[0].flags, i), i % 2 == 1) << i;
    EXPECT_EQ(read.bold, 1);
    const QByteArray first = readBytes(file());
    putColourNamesFirst(read);
    ASSERT_TRUE(writeSymbolSettings(folder.path(), read).ok());
    EXPECT_EQ(readBytes(file()), first);
}

TEST_F(SymbolSettingsFile, UsedSlotsComeFirstAndMissingPicturesAreDropped) {
    const QString a = picture("a.bmp"), b = picture("b,c.bmp"), c = picture("c.jpg");
    settings.colours[3].pictures[0] = {a, true};
    settings.colours[3].pictures[3] = {b, true};
    settings.colours[3].pictures[5] = {c, false};
    settings.colours[4].pictures[1] = {QDir(folder.path()).filePath("gone.bmp"), true};
    EXPECT_EQ(section(3).mid(4),
              QStringList({a + ",-1", b + ",-1", c + ",0"}) + QStringList(7, ","));
    ASSERT_TRUE(writeSymbolSettings(folder.path(), settings).ok());
    const SymbolSettings read = reread();
    const auto& got = read.colours[3].pictures;
    EXPECT_EQ(got[0].path, a);
    EXPECT_EQ(got[1].path, b) << "a comma inside the path";
    EXPECT_EQ(got[2].path, c);
    EXPECT_TRUE(got[0].used && got[1].used);
    EXPECT_FALSE(got[2].used);
    EXPECT_TRUE(got[3].isFree() && got[3].used);
    EXPECT_EQ(firstFreeSlot(read.colours[4]), 0) << "gone.bmp no longer exists";
}

TEST_F(SymbolSettingsFile, PictureFlagsAndFontFieldsAsWritten) {
    const auto exists = [](const QString& path) { return path != QStringLiteral("gone"); };
    struct Case {
        QString line;
        QString path;
        bool used;
    };
    const Case cases[] = {{"p", "p", true},        {"p,-1", "p", true}, {"p,0", "p", false},
                          {"p,x", "p", false},     {"p,", "p", false},  {"p,2", "p", true},
                          {"a,b,0", "a,b", false}, {",", "", true},     {"gone,-1", "", true},
                          {",-1", "", true}};
    for (const Case& c : cases) {
        SymbolSettings read;
        parseSymbolSettings({"[黒]", "", "", "<画像>", c.line}, read, exists);
        EXPECT_EQ(read.colours[0].pictures[0].path, c.path) << c.line.toStdString();
        EXPECT_EQ(read.colours[0].pictures[0].used, c.used) << c.line.toStdString();
    }
    SymbolSettings read;
    parseSymbolSettings({"F,1,x", "", "G", "H%1,,1"}, read, exists);
    EXPECT_EQ(read.fontName, QStringLiteral("H%1"));
    EXPECT_EQ(symbolSettingsLines(read)[0], QStringLiteral("H%1,1,1"));
    EXPECT_EQ(read.bold, 1) << "a missing field keeps the earlier value";
    EXPECT_EQ(read.italic, 1);
}

TEST_F(SymbolSettingsFile, ShortAndOverlongFilesStillGiveEveryColourASymbol) {
    const auto exists = [](const QString&) { return true; };
    // Cut inside the second section: its string is read, its pictures stay free. Lines
    // are taken by position, so a short first section would swallow the next heading.
    SymbolSettings cut;
    parseSymbolSettings(QStringList({"F,0,0", "[黒]", "AB", "-1,-1", "<画像>"}) +
                            QStringList(10, ",") + QStringList({"[白]", "W"}),
                        cut, exists);
    EXPECT_EQ(cut.colours[0].characters, "AB");
    EXPECT_EQ(cut.colours[1].characters, "W");
    EXPECT_TRUE(cut.colours[1].flags.isEmpty());
    EXPECT_EQ(cut.colours[2].characters, "赤");
    EXPECT_EQ(cut.colours[17].flags, "1");
    // Twenty sections: the last two are read past and ignored; the font line after them
    // still counts.
    QStringList lines;
    for (int k = 0; k < 20; ++k) {
        lines << QStringLiteral("[%1]").arg(k) << QString::number(k) << "-1"
              << "<画像>";
        for (int i = 0; i < 10; ++i)
            lines << QStringLiteral("p%1,-1").arg(i);
    }
    lines << "Late,0,1";
    SymbolSettings many;
    parseSymbolSettings(lines, many, exists);
    EXPECT_EQ(many.colours[17].characters, "17");
    EXPECT_EQ(many.colours[17].pictures[9].path, "p9");
    EXPECT_EQ(many.fontName, "Late");
    EXPECT_EQ(many.italic, 1);
}

TEST_F(SymbolSettingsFile, TellsASymbolFileFromOtherLines) {
    const QStringList written = symbolSettingsLines(settings);
    const auto with = [&](qsizetype at, const QString& line) {
        QStringList lines = written;
        lines[at] = line;
        return lines;
    };
    const struct {
        const char* name;
        QStringList lines;
        const char* error;  // nullptr: a symbol file
    } cases[] = {
        {"as written", written, nullptr},
        {"no font line", written.mid(1), nullptr},
        {"one section", written.mid(0, 15), nullptr},
        // Font lines outside the sections are read wherever they are.
        {"font lines around", QStringList{"F"} + written + QStringList{"", "Late,0,1"}, nullptr},
        {"nothing", {}, "there is no colour section"},
        {"font lines alone", {"F,0,0", "G"}, "there is no colour section"},
        {"heading without ]", with(15, "[白"), "line 16 should be a colour section's heading"},
        {"no picture heading", with(18, "<絵>"), "line 19 should be \"<画像>\""},
        {"cut short", written.mid(0, 20), "the section opened on line 16 ends early"},
        {"a [ after", written + QStringList{"a [ b"}, "line 254 should be"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto checked = checkSymbolSettingsLines(c.lines);
        EXPECT_EQ(checked.ok(), c.error == nullptr);
        if (c.error != nullptr && !checked.ok()) {
            EXPECT_NE(checked.error().find(c.error), std::string::npos) << checked.error();
        }
    }
    // A name holding a zero byte is no file, and Qt is not asked about it (it would warn).
    const QString real = picture("a.png");
    EXPECT_TRUE(pictureFileExists(real));
    static int warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString&) { ++warnings; });
    const bool exists = pictureFileExists(real + QChar(u'\0'));
    qInstallMessageHandler(previous);
    EXPECT_FALSE(exists);
    EXPECT_EQ(warnings, 0);
}

TEST(SymbolSlots, FlagListsSlotsAndPictureLists) {
    EXPECT_EQ(flagListFromChecks({true, false, true}, false), QStringLiteral("-1,0,-1"));
    EXPECT_EQ(flagListFromChecks({false}, true), QStringLiteral("0,"));
    EXPECT_EQ(flagListFromChecks({}, false), QString());
    EXPECT_EQ(candidateCharacters(QStringLiteral("黒A\U0001F600★")),
              QStringList({"黒", "A", QStringLiteral("\U0001F600"), "★"}));
    ColourSymbols colour;
    colour.pictures[1] = {QStringLiteral("/p/x.bmp"), false};
    EXPECT_EQ(firstFreeSlot(colour), 0);
    EXPECT_EQ(placePictures(colour, 8, {"/p/a.bmp", "/p/b.bmp", "/p/c.bmp"}), 2);
    EXPECT_EQ(colour.pictures[9].path, QStringLiteral("/p/b.bmp"));
    EXPECT_EQ(placePictures(colour, kPictureSlotCount, {"/p/d.bmp"}), 0);
    const auto pictures = slotPictures(colour);
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[0].fileName, QStringLiteral("x.bmp"));
    EXPECT_EQ(pictures[2].path, QStringLiteral("/p/b.bmp"));
    for (int i = 0; i < kPictureSlotCount; ++i)
        colour.pictures[i].path = QStringLiteral("/p/f");
    EXPECT_EQ(firstFreeSlot(colour), kPictureSlotCount);
}

const std::array<QString, kWeightCount> kJarvisTexts = {"7", "5", "3", "5", "7", "5",
                                                        "3", "1", "3", "5", "3", "1"};

TEST(DiffusionPresets, BadFirstLinesFallBackToTheCreationState) {
    const DiffusionState creation;
    struct Case {
        QString line;
        DiffusionMethod method;
        int rate;
    };
    const Case cases[] = {{"7,x,50", DiffusionMethod::Custom, 50},
                          {"", DiffusionMethod::FloydSteinberg, 100},
                          {"-1,n,50,9", DiffusionMethod::FloydSteinberg, 50},
                          {"abc", DiffusionMethod::FloydSteinberg, 100},
                          {"1,,500", DiffusionMethod::JarvisJudiceNinke, 100},
                          {"0,name,many", DiffusionMethod::FloydSteinberg, 100}};
    for (const Case& c : cases) {
        const DiffusionState state = parseDiffusionPresets({c.line}).current;
        EXPECT_EQ(state.method, c.method) << c.line.toStdString();
        EXPECT_EQ(state.rate, c.rate) << c.line.toStdString();
    }
    auto weights = creation.weightTexts;
    weights[0] = "1", weights[1] = "2";
    EXPECT_EQ(parseDiffusionPresets({"2,p,60,1,2"}).current.weightTexts, weights);
}

TEST(DiffusionPresets, DuplicatesCompareRateAndWeightsAndNamesHaveNoCommas) {
    const QStringList lines = {"soft,80,7,5,3,5,7,5,3,1,3,5,3,1"};
    EXPECT_EQ(duplicatePresetName(lines, 80, kJarvisTexts), "soft");
    auto changed = kJarvisTexts;
    changed[11] = "2";
    EXPECT_FALSE(duplicatePresetName(lines, 80, changed).has_value());
    EXPECT_FALSE(duplicatePresetName(lines, 81, kJarvisTexts).has_value());
    auto spaced = kJarvisTexts;
    spaced[0] = " 7";  // the same number in another spelling
    EXPECT_EQ(duplicatePresetName(lines, 80, spaced), "soft");
    EXPECT_FALSE(duplicatePresetName({"broken,80,7"}, 80, kJarvisTexts).has_value());
    // Preset lines refuse empty names and commas.
    EXPECT_EQ(*makePresetLine("soft", 80, kJarvisTexts), "soft,80,7,5,3,5,7,5,3,1,3,5,3,1");
    EXPECT_FALSE(makePresetLine("", 80, kJarvisTexts).ok());
    auto comma = makePresetLine("a,b", 80, kJarvisTexts);
    ASSERT_FALSE(comma.ok());
    EXPECT_NE(comma.error().find("a,b"), std::string::npos);
    const auto values = presetValues({"p,60,1,2"}, 0);
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->rate, 60);
    EXPECT_EQ(values->weightTexts[1], "2");
    EXPECT_FALSE(values->weightTexts[2].has_value());
    EXPECT_FALSE(presetValues({"p,60"}, 1).has_value());
}

// Writing Dorvel.ini and reading it back: the conversion window's preset tests and the
// history window's byte-for-byte run.
TEST(DiffusionPresets, TheCurrentLineNamesItsPresetAndEmptyLinesAreSkipped) {
    const auto parsed = parseDiffusionPresets({"2,soft,80,7,5,3,5,7,5,3,1,3,5,3,1",
                                               "soft,80,7,5,3,5,7,5,3,1,3,5,3,1", "",
                                               "hard,100,1,0,0,0,0,0,0,0,0,0,0,0"});
    EXPECT_EQ(parsed.current.method, DiffusionMethod::Custom);
    EXPECT_EQ(parsed.current.presetName, "soft");
    EXPECT_EQ(parsed.current.rate, 80);
    EXPECT_EQ(parsed.current.weightTexts, kJarvisTexts);
    EXPECT_EQ(presetNames(parsed.presetLines), QStringList({"soft", "hard"}));
    EXPECT_EQ(currentSettingsLine(parsed.current), "2,soft,80,7,5,3,5,7,5,3,1,3,5,3,1");
}

TEST(PrintInfoFile, LinesReadFieldByFieldWithFallbacks) {
    struct Case {
        const char* line;
        const char* read;  // the line written back for what was read
    };
    const Case cases[] = {
        {"0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0,0,0"},
        {"1,0,1,0,0,1,0", "1,0,1,0,0,1,0,0,0,0,0"},
        {"", "1,1,1,1,1,1,1,0,0,0,0"},
        {"0,0", "0,0,1,1,1,1,1,0,0,0,0"},             // short line: the rest default
        {"0,x,0,,0, 0 ,0", "0,1,0,1,0,0,0,0,0,0,0"},  // garbled fields default, blanks allowed
        {"0,0,0,2,0,0,0", "0,0,0,1,0,0,0,0,0,0,0"},   // line style other than 0 or 1
        {"0,0,0,-1,0,0,0", "0,0,0,1,0,0,0,0,0,0,0"},
        {"0.4,0.5,1.5,0.6,2,-0.4,1e0", "0,0,1,1,1,0,1,0,0,0,0"},  // rounded half to even
        {"0,0,0,0,0,0,0,1,0,1,1,1",
         "0,0,0,0,0,0,0,1,0,1,1"},  // fields beyond the known ones ignored
        {"99999999999,0,0,0,0,0,0", "1,0,0,0,0,0,0,0,0,0,0"},
        {"1,1,1,1,1,1,1,1,2,x,7", "1,1,1,1,1,1,1,1,0,0,0"}  // the chart extras fall back to off
    };
    for (const Case& c : cases) {
        EXPECT_EQ(printInfoLine(parsePrintInfo(QString::fromUtf8(c.line))), c.read) << c.line;
    }
}

TEST(PrintInfoFile, RoundTripsEveryFieldThroughTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kPrintInfoFileName);
    // Every single field off, then every single field on, so that no two fields share a
    // place in the line.
    for (size_t i = 0; i < printInfoFields().size(); ++i) {
        for (int base : {0, 1}) {
            PrintInfo info;
            for (const PrintInfoField& field : printInfoFields())
                field.set(info, base);
            printInfoFields()[i].set(info, 1 - base);
            ASSERT_TRUE(writePrintInfoFile(path, info).ok());
            EXPECT_EQ(readPrintInfoFile(path), info) << i;
        }
    }
    // The bytes of the line: the A4 chart window's options test. Only the first line counts; LF
    // alone and binary junk are taken in stride.
    ASSERT_TRUE(writeBytes(path, "0,0,0,0,0,0,0\n1,1,1,1,1,1,1\n"));
    EXPECT_EQ(printInfoLine(readPrintInfoFile(path)), "0,0,0,0,0,0,0,0,0,0,0");
    ASSERT_TRUE(writeBytes(path, QByteArray("\x82\xA0,\xFF\x00,0", 7)));
    EXPECT_EQ(printInfoLine(readPrintInfoFile(path)), "1,1,0,1,1,1,1,0,0,0,0");
    EXPECT_FALSE(writePrintInfoFile(dir.filePath("missing/PrintInfo.ini"), PrintInfo{}).ok());
}

// Every settings file, missing, empty or present but unreadable (a folder, a link to a
// device, a file past the size limit): each reader gives its defaults. An unreadable file
// is reported once and its writer leaves it as it was, saying it succeeded (the user was
// told); a missing or empty one is written.
TEST(SettingsFiles, MissingEmptyOrUnreadableFilesGiveTheDefaultsAndUnreadableOnesStay) {
    forgetRefusedSettingsFiles();
    QStringList heard;
    setSettingsRefusalNotifier([&](const QString& path, const std::string&) { heard << path; });
    QByteArray tooLarge;
    while (tooLarge.size() <= kMaxTextFileBytes)
        tooLarge += "/pictures/a.bmp\r\n";
    enum Kind { kMissing, kEmpty, kFolder, kDevice, kTooLarge };
    for (const Kind kind : {kMissing, kEmpty, kFolder, kDevice, kTooLarge}) {
        SCOPED_TRACE(kind);
        QTemporaryDir dir;
        const QString paths[] = {dir.filePath(kPrintInfoFileName), dir.filePath(kDorvelFileName),
                                 dir.filePath(kCodeUsePrintFileName),
                                 dir.filePath(kEditColFileName), dir.filePath("history.ini")};
        for (const QString& path : paths) {
            bool made = true;
            if (kind == kEmpty || kind == kTooLarge)
                made = writeBytes(path, kind == kEmpty ? QByteArray() : tooLarge);
            else if (kind == kFolder)
                made = QDir().mkdir(path);
            else if (kind == kDevice)
                made = QFile::link("/dev/zero", path);
            ASSERT_TRUE(made);
        }
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(readPrintInfoFile(paths[0]), PrintInfo{});
            const DiffusionPresets presets = readDiffusionPresets(dir.path());
            EXPECT_EQ(currentSettingsLine(presets.current), currentSettingsLine(DiffusionState{}));
            EXPECT_TRUE(presets.presetLines.isEmpty());
            SymbolSettings symbols;
            readSymbolSettings(dir.path(), symbols);
            EXPECT_EQ(symbols.colours[5].characters, colourName(5));
            ColourTable table;
            table.setUserColourComponent(0, 1);
            table.init(dir.path());
            EXPECT_EQ(table[kUserColourNumber].packed, 0x808080);
            EXPECT_EQ(readHistoryFile(paths[4]).ok(), kind <= kEmpty);
            EXPECT_TRUE(writePrintInfoFile(paths[0], PrintInfo{}).ok());
            EXPECT_TRUE(writeDiffusionPresets(dir.path(), presets).ok());
            EXPECT_TRUE(writeSymbolSettings(dir.path(), symbols).ok());
            EXPECT_TRUE(table.saveUserColour(dir.path()).ok());
            EXPECT_TRUE(writeHistoryFile(paths[4], {"/other.bmp"}).ok());
        }
        if (kind <= kEmpty) {
            EXPECT_EQ(readBytes(paths[3]), "808080\r\n");
            EXPECT_EQ(readBytes(paths[4]), "/other.bmp\r\n");
        }
        for (const QString& path : paths) {
            EXPECT_EQ(heard.count(path), kind >= kFolder ? 1 : 0) << path.toStdString();
            EXPECT_EQ(QFileInfo(path).isDir(), kind == kFolder);
            EXPECT_EQ(QFile::symLinkTarget(path), kind == kDevice ? "/dev/zero" : "");
            if (kind == kTooLarge) {
                EXPECT_EQ(readBytes(path), tooLarge);
            }
        }
    }
    setSettingsRefusalNotifier({});
    forgetRefusedSettingsFiles();
}

std::string text(const char16_t* t) {
    return QString::fromUtf16(t).toStdString();
}

TEST(ParseWholeNumber, SixteenAndThirtyTwoBitsRoundHalvesToEven) {
    const struct {
        const char16_t* text;
        std::optional<int16_t> int16;
        std::optional<int32_t> int32;
    } cases[] = {{u"7", 7, 7},
                 {u"  -12 ", -12, -12},
                 {u"+3", 3, 3},
                 {u"2.5", 2, 2},
                 {u"3.5", 4, 4},
                 {u".5", 0, 0},
                 {u"1e2", 100, 100},
                 {u"32767.49", 32767, 32767},
                 {u"32768", {}, 32768},
                 {u"-32769", {}, -32769},
                 {u"2147483647", {}, 2147483647},
                 {u"-2147483648", {}, INT32_MIN},
                 {u"2147483648", {}, {}},
                 {u"1e300", {}, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(parseInt16(c.text), c.int16) << text(c.text);
        EXPECT_EQ(parseInt32(c.text), c.int32) << text(c.text);
    }
    // Blanks are trimmed from both ends and nowhere else: one character, one character
    // with blanks after it, blanks alone.
    for (const char16_t* seven : {u"7", u"7 ", u"7\t\u3000 ", u" \t7", u"\u30007\u3000"})
        EXPECT_EQ(parseNumber(seven), 7.0) << text(seven);
    for (const char16_t* bad :
         {u"", u" ", u"\u3000", u"  \t", u"7 7", u"abc", u"7a", u"1,5", u"--1", u"1e", u"inf",
          u"nan", u".", u"0x10", u"-", u"+", u"1e+", u"7\n"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << text(bad);
        EXPECT_FALSE(parseInt16(bad).has_value()) << text(bad);
    }
}

TEST(ParseWholeNumber, AtLeastTheMinimumWholeAndWithin32Bits) {
    // Blanks at both ends, a sign, leading zeros, a point zero and an exponent are fine.
    for (const char16_t* twelve : {u"12", u" 12 ", u"\u300012\t", u"+12", u"012", u"12.0"})
        EXPECT_EQ(parseWholeNumberAtLeast(twelve, 1), 12) << text(twelve);
    EXPECT_EQ(parseWholeNumberAtLeast(u"1e1", 1), 10);
    EXPECT_EQ(parseWholeNumberAtLeast(u"1", 1), 1);
    EXPECT_EQ(parseWholeNumberAtLeast(u"2147483647", 1), 2147483647);
    EXPECT_EQ(parseWholeNumberAtLeast(u"2147483647.0", 1), 2147483647);
    for (const char16_t* bad :
         {u"2147483648", u"1e100", u"0", u"-3", u"2.5", u"0.5", u"abc", u"12px", u"", u"１２"})
        EXPECT_FALSE(parseWholeNumberAtLeast(bad, 1).has_value()) << text(bad);
    EXPECT_FALSE(parseWholeNumberAtLeast(u"19", 20).has_value());
    EXPECT_EQ(parseWholeNumberAtLeast(u"20", 20), 20);
    EXPECT_EQ(parseWholeNumberAtLeast(u"0", 0), 0);
    EXPECT_FALSE(parseWholeNumberAtLeast(u"-1", 0).has_value());
    // Strip widths start at one pixel.
    EXPECT_EQ(parseStripWidth(u" 1 "), 1);
    EXPECT_FALSE(parseStripWidth(u"0").has_value());
}

TEST(FileNames, LastPieceFolderAndZigzagName) {
    const struct {
        QString path;
        QString stem, name, folder;
    } cases[] = {{"/a/b.c.bmp", "b", "b.c.bmp", "/a/"},
                 {"/a/", "", "", "/a/"},
                 {"", "", "", "/"},
                 {"plain", "plain", "plain", "/"},
                 {"/絵/cat.face.jpg", "cat", "cat.face.jpg", "/絵/"},
                 {"/x/y/", "", "", "/x/y/"},
                 {"/photo.jpg", "photo", "photo.jpg", "/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(getFileName(c.path, 1), c.stem);
        EXPECT_EQ(getFileName(c.path, 0), c.name);
        EXPECT_EQ(getFolderPath(c.path), c.folder);
    }
    EXPECT_EQ(zigzagSaveName("/p/a.b.bmp", "/q/c.jpg"), "ac");
    EXPECT_EQ(zigzagSaveName("/p/cat.jpg", "/p/dog.jpeg"), "catdog");
    EXPECT_EQ(zigzagSaveName("/p/cat.jpg", ""), "cat");
    EXPECT_EQ(zigzagSaveName("", "/q/c.jpg"), "c");
}

TEST(ConversionTexts, CaptionAndReportLineListWeightsUpToTheLastOfAtLeastOne) {
    ConversionSettings settings;
    const auto fs = ConversionDescription::fromSettings(settings);
    EXPECT_EQ(previewCaption(fs, "/pic/cat.jpg"), "[RGB]100%(7)0)0)3)5)1)cat.jpg");
    EXPECT_EQ(reportSettingsLine(fs), "RGB[100]7)0)0)3)5)1)0)0)0)0)0)0)R100%G100%B100%");
    settings.space = ColourSpace::Ycc;
    settings.weights = kJarvisJudiceNinkeWeights;
    settings.rate = 60;
    EXPECT_EQ(previewCaption(ConversionDescription::fromSettings(settings), "/a/b.c.bmp"),
              "[YCC]60%(7)5)3)5)7)5)3)1)3)5)3)1)b.c.bmp");
    settings.space = ColourSpace::Cie;
    settings.weights = {0, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    settings.density = {0, 25, 50};
    const auto cie = ConversionDescription::fromSettings(settings);
    EXPECT_EQ(previewCaption(cie, "/x.bmp"), "[CIE]60%(x.bmp");
    EXPECT_EQ(reportSettingsLine(cie), "CIE[60]0)-2)0)0)0)0)0)0)0)0)0)0)R0%G250%B500%");
    // Texts are taken as they stand in the boxes; a text that is not a number counts as 0.
    ConversionDescription typed = fs;
    typed.weightTexts[6] = " 2";
    typed.weightTexts[7] = "abc";
    EXPECT_EQ(previewCaption(typed, "/p/q.jpg"), "[RGB]100%(7)0)0)3)5)1) 2)q.jpg");
}

TEST(ConversionTexts, UsageSharesAreShortestSingleTexts) {
    ConversionResult result;
    result.counts[1] = 3;
    result.counts[0] = 1;
    result.lastColour = 0;
    EXPECT_EQ(usageString(result, 2, 2), "0,0.25,0.75,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    ConversionResult thirds;
    thirds.counts[17] = 1;
    thirds.counts[3] = 2;
    thirds.lastColour = 17;
    const QStringList fields = usageString(thirds, 3, 1).split(u',');
    ASSERT_EQ(fields.size(), 19);
    EXPECT_EQ(fields[0], "17");
    EXPECT_EQ(fields[4], "0.6666667");
    EXPECT_EQ(fields[18], "0.33333334");
    for (float v : {0.0f, 1.0f, 0.1f, 0.01f, 1e-7f, 0.123456789f, 3.0f / 7.0f}) {
        EXPECT_EQ(singleToText(v).toFloat(), v);
        EXPECT_EQ(static_cast<float>(singleToText(v).toDouble()), v);
    }
    EXPECT_EQ(singleToText(0.25f), "0.25");
}

TEST(ColourUsage, MarksFollowTheSingleLimits) {
    const struct {
        QString share;
        UsageMark mark;
        bool ticked;
    } cases[] = {{"0.0099", UsageMark::Red, true},
                 // Each limit is a single: on it, the lower mark; past it, the next.
                 {"0.009999999776482582", UsageMark::Red, true},
                 {"0.05000000074505806", UsageMark::Blue, true},
                 {"0.10000000149011612", UsageMark::Black, true},
                 {"0.01", UsageMark::Blue, true},
                 {"0.05", UsageMark::Blue, true},
                 {"0.1", UsageMark::Black, true},
                 {"0.1000001", UsageMark::Hidden, true},
                 {"0", UsageMark::Hidden, false},
                 {"1e-05", UsageMark::Red, true},
                 {"x", UsageMark::Hidden, false}};
    for (const auto& c : cases) {
        QStringList fields(19, "0");
        fields[4] = c.share;
        const auto view = colourUsageView(fields.join(u','));
        ASSERT_TRUE(view.has_value());
        EXPECT_EQ(view->marks[3], c.mark) << c.share.toStdString();
        EXPECT_EQ(view->ticked[3], c.ticked) << c.share.toStdString();
        EXPECT_FALSE(view->ticked[4]);
    }
    EXPECT_FALSE(colourUsageView("0,0.5,0.5").has_value());
    EXPECT_FALSE(colourUsageView(QStringList(18, "0").join(u',')).has_value());  // one short
    EXPECT_FALSE(colourUsageView("").has_value());
}

}  // namespace
}  // namespace kirimo
