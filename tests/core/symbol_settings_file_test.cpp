#include <gtest/gtest.h>

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/colour_table.h"
#include "core/symbol_settings_file.h"
#include "core/symbol_slots.h"
#include "core/text_file.h"
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

TEST_F(SymbolSettingsFile, WithoutAFileEveryColourOffersItsOwnNameUsed) {
    settings.fontName = QStringLiteral("kept");
    readSymbolSettings(folder.path(), settings);
    EXPECT_EQ(settings.fontName, QStringLiteral("kept"));
    for (int k = 0; k < kColourCount; ++k) {
        EXPECT_EQ(settings.colours[k].characters, colourName(k));
        EXPECT_TRUE(flagIsUsed(settings.colours[k].flags, 0));
    }
    EXPECT_EQ(settings.colours[2].characters, QStringLiteral("赤"));
}

TEST_F(SymbolSettingsFile, TheColourNameGoesFirstAndASecondWriteChangesNothing) {
    readSymbolSettings(folder.path(), settings);
    settings.fontName = QStringLiteral("IPAexGothic");
    settings.bold = 5;
    settings.colours[0].characters = QStringLiteral("ABC");
    settings.colours[0].flags = QStringLiteral("-1,0,-1");
    settings.colours[17].characters = QStringLiteral("xyz");
    putColourNamesFirst(settings);
    ASSERT_TRUE(writeSymbolSettings(folder.path(), settings).ok());

    const QStringList lines = *readTextLines(file());
    ASSERT_EQ(lines.size(), 1 + 18 * 14);
    EXPECT_EQ(lines[0], QStringLiteral("IPAexGothic,1,0"));
    QStringList expected = {QStringLiteral("[黒]"), QStringLiteral("黒ABC"),
                            QStringLiteral("0,-1,0,-1"), QStringLiteral("<画像>")};
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral(",");
    EXPECT_EQ(lines.mid(1, 14), expected);
    EXPECT_EQ(lines.mid(1 + 17 * 14, 3),
              QStringList({QStringLiteral("[]"), QStringLiteral("xyz"), QStringLiteral("1")}));
    EXPECT_EQ(lines[1 + 2 * 14 + 1], QStringLiteral("赤")) << "already first: unchanged";
    EXPECT_TRUE(readBytes(file()).contains("\r\n"));

    SymbolSettings read = reread();
    EXPECT_EQ(read.colours[0].characters, QStringLiteral("黒ABC"));
    const bool flags[] = {false, true, false, true};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(flagIsUsed(read.colours[0].flags, i), flags[i]) << i;
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
    QStringList expected = {a + ",-1", b + ",-1", c + ",0"};
    for (int i = 0; i < 7; ++i)
        expected << QStringLiteral(",");
    EXPECT_EQ(section(3).mid(4), expected);
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
    QStringList cutLines = {"F,0,0", "[黒]", "AB", "-1,-1", "<画像>"};
    for (int i = 0; i < 10; ++i)
        cutLines << ",";
    cutLines << "[白]"
             << "W";
    SymbolSettings cut;
    parseSymbolSettings(cutLines, cut, exists);
    EXPECT_EQ(cut.colours[0].characters, QStringLiteral("AB"));
    EXPECT_EQ(cut.colours[1].characters, QStringLiteral("W"));
    EXPECT_TRUE(cut.colours[1].flags.isEmpty());
    EXPECT_EQ(cut.colours[2].characters, QStringLiteral("赤"));
    EXPECT_EQ(cut.colours[17].flags, QStringLiteral("1"));

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
    EXPECT_EQ(many.colours[17].characters, QStringLiteral("17"));
    EXPECT_EQ(many.colours[17].pictures[9].path, QStringLiteral("p9"));
    EXPECT_EQ(many.fontName, QStringLiteral("Late"));
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
        {"a [ after", written + QStringList{"a [ b"}, "line 254 should be"},
    };
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

TEST_F(SymbolSettingsFile, ReadsAFileWrittenInCp932) {
    QStringEncoder cp932("CP932");
    ASSERT_TRUE(cp932.isValid());
    QString text = QStringLiteral("ＭＳ ゴシック,0,1\r\n[黒]\r\n黒■●\r\n0,-1,-1\r\n<画像>\r\n");
    for (int i = 0; i < 10; ++i)
        text += QStringLiteral(",\r\n");
    ASSERT_TRUE(writeBytes(file(), cp932.encode(text)));
    const SymbolSettings read = reread();
    EXPECT_EQ(read.fontName, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(read.italic, 1);
    EXPECT_EQ(read.colours[0].characters, QStringLiteral("黒■●"));
    EXPECT_EQ(read.colours[0].flags, QStringLiteral("0,-1,-1"));
    EXPECT_EQ(read.colours[1].characters, QStringLiteral("白"));
    // Its lines, read back from CP932, are those of a symbol settings file.
    auto lines = readTextLines(file());
    ASSERT_TRUE(lines.ok());
    EXPECT_TRUE(checkSymbolSettingsLines(*lines).ok());
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

}  // namespace
}  // namespace kirimo
