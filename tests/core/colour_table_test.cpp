#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/colour_table.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::readBytes;
using test::writeBytes;

TEST(ColourTable, StartUpEntriesNamesAndPackedValues) {
    const ColourTable table;
    EXPECT_EQ(colourName(0), "黒");
    EXPECT_EQ(colourName(10), "橙");
    EXPECT_EQ(colourName(17), "自");
    EXPECT_EQ(colourName(18), "");
    EXPECT_EQ(table[3].packed, 16711680);  // 青
    EXPECT_EQ(table[2].packed, 240);       // 赤
    EXPECT_EQ(table[8].packed, 0xBBB0FF);  // 桃
    EXPECT_EQ(table[10].packed, 0x0B85FF);
    EXPECT_EQ(table[16].packed, 0xC0C0C0);
    EXPECT_EQ(table[17].packed, 0x808080);
    EXPECT_EQ(table[17].ycc.y, 128.0f);
    EXPECT_EQ(table[17].ycc.ry, 0.0f);
    EXPECT_EQ(table[17].ycc.by, 0.0f);
    EXPECT_EQ(table[2].ycc.ry, 168.239990234375f);
    const Palette palette = table.palette();
    EXPECT_EQ(palette[10].red, 255);
    EXPECT_EQ(palette[10].green, 133);
    EXPECT_EQ(palette[10].blue, 11);
    EXPECT_EQ(palette[8].ycc.y, 200.875f);
}

TEST(ColourTable, PaletteKinds) {
    EXPECT_EQ(paletteColours(0), (std::vector<int>{0, 1}));
    EXPECT_EQ(paletteColours(1).size(), 8u);
    EXPECT_EQ(paletteColours(2).back(), 15);
    EXPECT_EQ(paletteColours(3).size(), 18u);
    EXPECT_EQ(paletteColours(4), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(paletteColours(5).empty());
    EXPECT_TRUE(paletteColours(-1).empty());
}

TEST(EditColIni, ReadsTheFirstFieldInEitherCaseAndSavesUpperCaseWithCrLf) {
    const struct {
        QByteArray bytes;
        int red, green, blue;
        QByteArray saved;
    } cases[] = {{"050ac8\r\n", 5, 10, 200, "050AC8\r\n"},
                 {"FF8000,more text\nsecond line\n", 255, 128, 0, "FF8000\r\n"}};
    for (const auto& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(writeBytes(dir.filePath("EditCol.ini"), c.bytes));
        ColourTable table;
        table.init(dir.path());
        EXPECT_EQ(table[17].red, c.red);
        EXPECT_EQ(table[17].green, c.green);
        EXPECT_EQ(table[17].blue, c.blue);
        EXPECT_EQ(table[17].packed, c.red + c.green * 256 + c.blue * 65536);
        ASSERT_TRUE(table.saveUserColour(dir.path()).ok());
        EXPECT_EQ(readBytes(dir.filePath("EditCol.ini")), c.saved);
    }
}

TEST(EditColIni, MissingEmptyOrGarbageFilesGiveTheDefaultGrey) {
    QTemporaryDir dir;
    const QByteArray samples[] = {
        "", "\r\n", "zzzzzz", "12345", "1234567", "\xFF\xFE\x00\x01", ",808080", "GG0000"};
    for (const QByteArray& sample : samples) {
        ASSERT_TRUE(writeBytes(dir.filePath("EditCol.ini"), sample));
        ColourTable table;
        table.setUserColourComponent(0, 1);
        table.init(dir.path());
        EXPECT_EQ(table[17].packed, 0x808080) << sample.toHex().toStdString();
    }
    QTemporaryDir empty;
    ColourTable table;
    table.init(empty.path());
    EXPECT_EQ(table[17].packed, 0x808080);
}

TEST(GetColorNumber, FindsEveryTableColourByItsOwnValue) {
    const ColourTable table;
    // 自 starts as 808080, which no fixed colour shares.
    for (int n = 0; n < kColourCount; ++n) {
        EXPECT_EQ(getColorNumber(table[n].packed, table), n) << n;
    }
}

TEST(GetColorNumber, HalfwayKeepsTheLowerNumberAndNearestPackedValueWins) {
    const ColourTable table;
    // 30592 lies halfway between 深 (0x006400) and 緑 (0x008B00).
    EXPECT_EQ(getColorNumber(30592, table), 7);
    EXPECT_EQ(getColorNumber(30591, table), 13);
    EXPECT_EQ(getColorNumber(121, table), 9);  // 茶 (139) is nearer than 黒 and 赤
    EXPECT_EQ(getColorNumber(0x00F000 + 1, table), 4);
    // Packed values, not colours, are compared: (255, 0, 1) lands on 黄 (0x00FFFF).
    EXPECT_EQ(getColorNumber(255 + 65536, table), 5);
}

TEST(GetColorNumber, FollowsTheUserColour) {
    ColourTable table;
    table.setUserColourComponent(0, 10);
    table.setUserColourComponent(1, 20);
    table.setUserColourComponent(2, 30);
    EXPECT_EQ(table[17].packed, 0x1E140A);
    EXPECT_EQ(table[17].ycc.y, rgbToYcc(10, 20, 30).y);
    EXPECT_EQ(getColorNumber(0x1E140A, table), 17);
}

}  // namespace
}  // namespace kirimo
