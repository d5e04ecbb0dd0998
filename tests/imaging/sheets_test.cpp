#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <string>

#include "imaging/sheets.h"
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

TEST(DivisorList, ListsEveryDivisorFromTwoUpToTheSideAscending) {
    EXPECT_EQ(divisorList(120),
              (std::vector<int>{2, 3, 4, 5, 6, 8, 10, 12, 15, 20, 24, 30, 40, 60, 120}));
    EXPECT_EQ(divisorList(80), (std::vector<int>{2, 4, 5, 8, 10, 16, 20, 40, 80}));
    EXPECT_EQ(divisorList(97), std::vector<int>{97});
    EXPECT_TRUE(divisorList(1).empty());
    EXPECT_TRUE(divisorList(0).empty());
    // The largest int is prime; no step may overflow on the way.
    EXPECT_EQ(divisorList(INT_MAX), std::vector<int>{INT_MAX});
}

TEST(SheetGrid, SheetsInRowOrderClippedToThePicture) {
    const SheetGrid grid = makeGrid(100, 70, 30, 30);
    EXPECT_EQ(grid.columns(), 4);
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.count(), 12);
    EXPECT_EQ(placed(grid.sheetAt(1, 1)), "1,1 0,0 30x30");
    EXPECT_EQ(placed(grid.sheetAt(4, 1)), "4,1 90,0 10x30");
    EXPECT_EQ(placed(grid.sheetAt(2, 3)), "2,3 30,60 30x10");
    EXPECT_EQ(grid.sheetAt(5, 1).width, 0);
    // Sheet order: row by row from the top, each row from the left.
    const std::vector<Sheet> sheets = grid.sheets();
    ASSERT_EQ(sheets.size(), 12u);
    EXPECT_EQ(placed(sheets[1]), "2,1 30,0 30x30");
    EXPECT_EQ(placed(sheets[4]), "1,2 0,30 30x30");
    EXPECT_EQ(placed(grid.sheet(4)), "1,2 0,30 30x30");
    EXPECT_EQ(placed(grid.sheet(11)), "4,3 90,60 10x10");
    EXPECT_EQ(grid.sheet(12).width, 0);
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

TEST(SheetCounts, CountOnlyTheDotsInsideEachSheetAndAddUpToThePicture) {
    // Column x holds colour x % 18, so a sheet's counts follow from its columns alone.
    PixelBuffer picture = filledBuffer(100, 70, 0);
    for (int y = 0; y < 70; ++y) {
        for (int x = 0; x < 100; ++x)
            picture.at(x, y) = makePixel(0, 0, x % 18);
    }
    auto map = ColourNumberMap::create(picture, blueAsColour);
    ASSERT_TRUE(map.ok());
    const SheetGrid grid = makeGrid(100, 70, 30, 30);
    const std::vector<ColourCounts> counts = countSheets(*map, grid);
    ASSERT_EQ(counts.size(), 12u);
    // Sheet (4, 3): columns 90 to 99 (colours 0 to 9), rows 60 to 69.
    ColourCounts corner{};
    for (int k = 0; k <= 9; ++k)
        corner[k] = 10;
    EXPECT_EQ(counts[11], corner);
    ColourCounts sum{};
    for (const ColourCounts& sheet : counts) {
        for (int k = 0; k < kColourCount; ++k)
            sum[k] += sheet[k];
    }
    const ColourCounts whole = countPicture(*map);
    EXPECT_EQ(sum, whole);
    EXPECT_EQ(std::accumulate(whole.begin(), whole.end(), 0), 7000);
    EXPECT_EQ(whole[0], 6 * 70);  // columns 0, 18, 36, 54, 72, 90
    EXPECT_EQ(whole[17], 5 * 70);
}

}  // namespace
}  // namespace kirimo
