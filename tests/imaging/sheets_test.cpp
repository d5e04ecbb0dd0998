// Dot pictures cut into sheets and counted, and two pictures interleaved in strips.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "imaging/sheets.h"
#include "imaging/zigzag.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;

SheetGrid makeGrid(int width, int height, int sheetWidth, int sheetHeight) {
    auto grid = SheetGrid::create(width, height, {sheetWidth, sheetHeight});
    EXPECT_TRUE(grid.ok()) << (grid.ok() ? "" : grid.error());
    return *grid;
}

// A sheet as "column,row x,y widthxheight".
std::string placed(const Sheet& s) {
    return std::to_string(s.column) + "," + std::to_string(s.row) + " " + std::to_string(s.x) +
           "," + std::to_string(s.y) + " " + std::to_string(s.width) + "x" +
           std::to_string(s.height);
}

// Two lists of divisors, ascending: the strip widths from 1, the sheet sides from 2.
TEST(Divisors, StripWidthsFromOneAndSheetSidesFromTwoAscending) {
    const struct {
        int width;
        std::vector<int> widths;
    } cases[] = {{120, {1, 2, 3, 4, 5, 6, 8, 10, 12, 15, 20, 24, 30, 40, 60, 120}},
                 {80, {1, 2, 4, 5, 8, 10, 16, 20, 40, 80}},
                 {60, {1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60}},
                 {36, {1, 2, 3, 4, 6, 9, 12, 18, 36}},
                 {97, {1, 97}},
                 {1, {1}},
                 {0, {}},
                 {-4, {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(zigzagStripWidths(c.width), c.widths) << c.width;
        const auto fromTwo = c.widths.begin() + (c.widths.empty() ? 0 : 1);
        EXPECT_EQ(divisorList(c.width), std::vector<int>(fromTwo, c.widths.end())) << c.width;
    }
    // The largest int is prime; no step may overflow on the way.
    EXPECT_EQ(divisorList(INT_MAX), std::vector<int>{INT_MAX});
    EXPECT_EQ(zigzagStripWidths(2147483646).back(), 2147483646);
}

TEST(SheetGrid, SheetsInRowOrderClippedToThePicture) {
    const SheetGrid grid = makeGrid(100, 70, 30, 30);
    EXPECT_EQ(grid.columns(), 4);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.count(), 12);
    EXPECT_EQ(placed(grid.sheetAt(1, 1)), "1,1 0,0 30x30");
    EXPECT_EQ(placed(grid.sheetAt(4, 1)), "4,1 90,0 10x30");
    EXPECT_EQ(placed(grid.sheetAt(2, 3)), "2,3 30,60 30x10");
    for (const auto& [column, row] :
         {std::pair(5, 1), std::pair(0, 1), std::pair(1, 0), std::pair(1, 4)})  // outside the grid
        EXPECT_EQ(grid.sheetAt(column, row).width, 0) << column << "," << row;
    // Sheet order: row by row from the top, each row from the left.
    const std::vector<Sheet> sheets = grid.sheets();
    ASSERT_EQ(sheets.size(), 12u);
    EXPECT_EQ(placed(sheets[1]), "2,1 30,0 30x30");
    EXPECT_EQ(placed(sheets[4]), "1,2 0,30 30x30");
    EXPECT_EQ(placed(grid.sheet(4)), "1,2 0,30 30x30");
    EXPECT_EQ(placed(grid.sheet(11)), "4,3 90,60 10x10");
    EXPECT_EQ(grid.sheet(12).width, 0);
    EXPECT_EQ(grid.sheet(-1).width, 0);
    // A sheet larger than the picture is one clipped sheet; the largest sides neither
    // overflow nor make more sheets.
    for (int side : {200, INT_MAX}) {
        const SheetGrid one = makeGrid(100, 70, side, side == 200 ? 90 : side);
        EXPECT_EQ(one.count(), 1);
        EXPECT_EQ(placed(one.sheetAt(1, 1)), "1,1 0,0 100x70");
    }
    for (SheetSize size : {SheetSize{0, 30}, SheetSize{30, 0}, SheetSize{-1, -1}}) {
        auto refused = SheetGrid::create(100, 70, size);
        ASSERT_FALSE(refused.ok()) << size.width << " x " << size.height;
        EXPECT_NE(refused.error().find("sheet size"), std::string::npos);
    }
    EXPECT_FALSE(SheetGrid::create(-1, 70, {30, 30}).ok());
    EXPECT_FALSE(SheetGrid::create(100000, 100000, {30, 30}).ok());
    EXPECT_EQ(makeGrid(0, 70, 30, 30).count(), 0);  // no dots, no sheets
    EXPECT_EQ(makeGrid(3, 2, 1, 1).count(), 6);     // the smallest sheet
}

// Colour number = the pixel's blue byte, for pictures whose blue bytes are 0 to 17.
int blueAsColour(Pixel p) {
    return pixelBlue(p);
}

TEST(ColourNumberMap, AsksOnceForEachDistinctPixelValueAndRefusesOtherNumbers) {
    PixelBuffer picture = filledBuffer(50, 40, makePixel(9, 9, 3));
    for (int x = 0; x < 50; x += 3)
        picture.at(x, x % 40) = makePixel(0, 0, 5);
    picture.at(49, 39) = makePixel(1, 2, 17);
    int calls = 0;
    auto map = ColourNumberMap::create(picture, [&calls](Pixel p) {
        ++calls;
        return blueAsColour(p);
    });
    ASSERT_TRUE(map.ok());
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(map->at(0, 0), 5);
    EXPECT_EQ(map->at(1, 0), 3);
    EXPECT_EQ(map->at(49, 39), 17);
    // A number outside the colour table is refused.
    auto refused = ColourNumberMap::create(
        test::makeBuffer({{makePixel(0, 0, 1), makePixel(0, 0, 18)}}), blueAsColour);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("0x000012"), std::string::npos);
}

// Pixels name their picture (1 = A, 2 = B) and position, never 0 (black).
PixelBuffer labelled(int tag, int width, int height) {
    PixelBuffer picture = filledBuffer(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at(x, y) = static_cast<Pixel>(tag << 20 | x << 10 | y);
    return picture;
}

Pixel fromA(int x, int y) {
    return static_cast<Pixel>(1 << 20 | x << 10 | y);
}
Pixel fromB(int x, int y) {
    return static_cast<Pixel>(2 << 20 | x << 10 | y);
}

PixelBuffer combine(const PixelBuffer& a, const PixelBuffer& b, int w, int h, int s,
                    CropOffset offsetA = {}, CropOffset offsetB = {}) {
    auto result = interleaveStrips(a, b, ZigzagRequest{w, h, s, offsetA, offsetB});
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error());
    return result.ok() ? std::move(result).value() : PixelBuffer();
}

// Strips of A's columns, each followed by the same columns of B; the last pair may be partial.
TEST(ZigzagStrips, EachStripOfAIsFollowedByTheSameColumnsOfB) {
    const struct {
        int width, strip, count;
    } cases[] = {{60, 10, 12}, {60, 60, 2}, {60, 1, 120}, {10, 4, 5}, {10, 15, 1}, {1, 1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " in strips of " << c.strip);
        if (c.strip <= c.width) {
            EXPECT_EQ(*zigzagStripCount(c.width, c.strip), c.count);
        }
        const PixelBuffer out =
            combine(labelled(1, c.width, 3), labelled(2, c.width, 3), c.width, 3, c.strip);
        ASSERT_EQ(out.width(), 2 * c.width);
        ASSERT_EQ(out.height(), 3);
        int x = 0;
        for (int first = 0; first < c.width; first += c.strip) {
            const int end = std::min(first + c.strip, c.width);
            for (int k = first; k < end; ++k, ++x)
                ASSERT_EQ(out.at(x, 2), fromA(k, 2)) << x;
            for (int k = first; k < end; ++k, ++x)
                ASSERT_EQ(out.at(x, 2), fromB(k, 2)) << x;
        }
    }
}

TEST(ZigzagStrips, OffsetsCutEachPictureAndLeaveBlackBeyondIt) {
    const PixelBuffer a = labelled(1, 70, 50);
    const PixelBuffer b = labelled(2, 60, 45);
    const PixelBuffer out = combine(a, b, 60, 40, 10, {12, 3}, {0, 8});
    // Strip 0 of A: A columns 12..21, rows from 3.
    EXPECT_EQ(out.at(0, 0), fromA(12, 0 + 3));
    EXPECT_EQ(out.at(9, 5), fromA(21, 8));
    // Strip 0 of B: B columns 0..9, rows from 8; B has rows up to 44, so result rows 37..39
    // have no source.
    EXPECT_EQ(out.at(10, 36), fromB(0, 44));
    EXPECT_EQ(out.at(10, 37), 0u);
    // The last strip of A: columns 62..71, of which 70 and 71 lie beyond A.
    EXPECT_EQ(out.at(107, 0), fromA(69, 3));
    EXPECT_EQ(out.at(108, 0), 0u);
    EXPECT_EQ(out.at(109, 0), 0u);
    // Negative offsets count as zero.
    EXPECT_EQ(combine(a, b, 60, 40, 10, {-4, -1}, {3, -9}), combine(a, b, 60, 40, 10, {}, {3, 0}));
}

TEST(ZigzagStrips, RefusesStripWidthsBelowOneAndAnEmptyCommonSize) {
    const PixelBuffer a = labelled(1, 10, 10);
    for (int s : {0, -3}) {
        auto refused = interleaveStrips(a, a, ZigzagRequest{10, 10, s, {}, {}});
        ASSERT_FALSE(refused.ok());
        EXPECT_NE(refused.error().find("strip width"), std::string::npos);
        EXPECT_FALSE(zigzagStripCount(10, s).ok());
    }
    auto empty = interleaveStrips(a, a, ZigzagRequest{0, 10, 5, {}, {}});
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.error().find("common size"), std::string::npos);
    EXPECT_FALSE(interleaveStrips(a, a, ZigzagRequest{10, 0, 5, {}, {}}).ok());
    EXPECT_FALSE(zigzagStripCount(0, 5).ok());
}

TEST(ZigzagCropOffsets, StripCountsRoundHalvesUpAndOffsetsScaleFromTheThumbnail) {
    EXPECT_EQ(*zigzagStripCount(60, 7), 17);  // 17.14
    EXPECT_EQ(*zigzagStripCount(3, 4), 2);    // 1.5
    EXPECT_EQ(*zigzagStripCount(5, 4), 3);    // 2.5
    EXPECT_EQ(*zigzagStripCount(2, 5), 1);    // 0.8
    // Offsets round halves to even and stop at zero; the readout floors and goes below zero;
    // both hold the whole 32-bit range.
    const struct {
        double position, thumbnail;
        int picture, offset, readout;  // -1000: refused
    } cases[] = {{58.5, 117, 100, 50, 50},
                 {1, 4, 10, 2, 2},
                 {3, 4, 10, 8, 7},
                 {7, 97, 80, 6, 5},
                 {-20, 117, 100, 0, -18},
                 {-3, 117, 100, 0, -3},
                 {10, 0, 100, -1000, -1000},
                 {1e12, 1, 100000, -1000, -1000},
                 {2147483647, 1, 1, 2147483647, 2147483647},
                 {-2147483648.0, 1, 1, 0, INT32_MIN}};
    for (const auto& c : cases) {
        const auto offset = cropOffsetAlong(c.position, c.thumbnail, c.picture);
        const auto readout = cropReadoutAlong(c.position, c.thumbnail, c.picture);
        EXPECT_EQ(offset.ok() ? *offset : -1000, c.offset) << c.position << "/" << c.thumbnail;
        EXPECT_EQ(readout.ok() ? *readout : -1000, c.readout) << c.position << "/" << c.thumbnail;
    }
}

TEST(ZigzagCropRectangle, TheCommonSizeScaledOntoTheThumbnail) {
    EXPECT_EQ(*cropRectangleSide(117, 90, 100), 105);  // 105.3
    EXPECT_EQ(*cropRectangleSide(97, 80, 85), 91);     // 91.29
    EXPECT_EQ(*cropRectangleSide(97, 80, 80), 97);
    EXPECT_EQ(*cropRectangleSide(5, 1, 2), 2);  // 2.5
    EXPECT_EQ(*cropRectangleSide(5, 1, 1), 5);
    EXPECT_FALSE(cropRectangleSide(117, 90, 0).ok());
}

}  // namespace
}  // namespace kirimo
