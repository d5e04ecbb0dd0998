// Pixel buffers, the number rules, YCC, and magnified previews.

#include <gtest/gtest.h>

#include "imaging/colour_space.h"
#include "imaging/magnify.h"
#include "imaging/numeric.h"
#include "imaging/pixel_buffer.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

TEST(PixelBuffer, RowsTopFirstChannelOrderAndSizesThatFit) {
    PixelBuffer buffer = *PixelBuffer::create(3, 2);
    buffer.at(2, 0) = 2;
    buffer.at(0, 1) = 3;
    buffer.at(2, 1) = 4;
    EXPECT_EQ(buffer.data()[2], 2u);
    EXPECT_EQ(buffer.data()[3], 3u);
    EXPECT_EQ(buffer.data()[5], 4u);
    EXPECT_EQ(buffer.row(1), buffer.data() + 3);
    EXPECT_EQ(makePixel(255, 0, 0), 0x00FF0000u);
    EXPECT_EQ(pixelRed(0x00123456u), 0x12);
    EXPECT_EQ(pixelGreen(0x00123456u), 0x34);
    EXPECT_EQ(pixelBlue(0x00123456u), 0x56);
    EXPECT_EQ(pixelToColourValue(0x00123456u), 0x563412);
    EXPECT_EQ(colourValueToPixel(0x563412), 0x00123456u);
    // Sizes whose byte count overflows are refused before allocating.
    const struct {
        int width, height;
        bool allowed;
    } sizes[] = {{23170, 23170, true},  {23171, 23171, false},
                 {65536, 8192, false},  {INT32_MAX, INT32_MAX, false},
                 {536870912, 1, false}, {536870911, 1, true},
                 {-1, 10, false},       {0, 0, true}};
    for (const auto& s : sizes)
        EXPECT_EQ(PixelBuffer::sizeAllowed(s.width, s.height), s.allowed)
            << s.width << "x" << s.height;
    auto refused = PixelBuffer::create(100000, 100000);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("100000 x 100000"), std::string::npos);
}

TEST(NumberRules, HalvesRoundToEvenAndCheckedArithmeticReportsOverflow) {
    const double rounded[][2] = {{0.5, 0},     {1.5, 2},     {2.5, 2},       {-2.5, -2}, {-3.5, -4},
                                 {101.5, 102}, {102.5, 102}, {2.5000001, 3}, {-0.4, 0}};
    for (const auto& r : rounded)
        EXPECT_EQ(roundHalfEven(r[0]), r[1]) << r[0];
    EXPECT_EQ(checkedMul(46340, 46340), 2147395600);
    EXPECT_FALSE(checkedMul(46341, 46341).has_value());
    EXPECT_FALSE(checkedAdd(INT32_MAX, 1).has_value());
    EXPECT_FALSE(checkedSub(INT32_MIN, 1).has_value());
    EXPECT_EQ(roundToInt16(32767.4), 32767);
    EXPECT_FALSE(roundToInt16(32767.5).has_value());
    EXPECT_EQ(roundToInt16(-32768.5), -32768);
    EXPECT_FALSE(roundToInt32(2147483647.5).has_value());
}

// The worked colour-difference values, with their single-precision steps.
TEST(RgbToYcc, MatchesTheWorkedValuesBitForBit) {
    const struct {
        int r, g, b;
        float y, ry, by;
    } cases[] = {
        // 240 - Y lies halfway between two singles; the even one is taken (not 168.24f).
        {240, 0, 0, 71.76f, 168.239990234375f, -71.76f},
        {255, 176, 187, 200.875f, 54.125f, -13.875f},
        {128, 128, 128, 128.0f, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        const Ycc ycc = rgbToYcc(c.r, c.g, c.b);
        EXPECT_EQ(ycc.y, c.y) << c.r;
        EXPECT_EQ(ycc.ry, c.ry) << c.r;
        EXPECT_EQ(ycc.by, c.by) << c.r;
    }
}

TEST(Magnify, EveryDotBecomesASolidBlockWhoseCornerComesBack) {
    const PixelBuffer picture = test::randomPicture(10, 10, 5);
    auto big = magnify(picture, 4);
    ASSERT_TRUE(big.ok());
    ASSERT_EQ(big->width(), 40);
    ASSERT_EQ(big->height(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(big->at(x, y), picture.at(x / 4, y / 4));
    EXPECT_EQ(*takeBlockCorners(*big, 4), picture);
    // Only the top-left pixel of each block counts.
    PixelBuffer two = *magnify(test::filledBuffer(2, 2, 0x123456), 2);
    two.at(1, 1) = 0;  // inside block (0, 0), not its corner
    two.at(2, 0) = 7;  // the corner of block (1, 0)
    EXPECT_EQ(takeBlockCorners(two, 2)->at(0, 0), 0x123456u);
    EXPECT_EQ(takeBlockCorners(two, 2)->at(1, 0), 7u);
    // Other zooms and sizes are refused.
    EXPECT_FALSE(magnify(test::filledBuffer(2, 2, 0), 1).ok());
    EXPECT_FALSE(magnify(test::filledBuffer(2, 2, 0), 5).ok());
    EXPECT_FALSE(magnify(test::filledBuffer(20000, 10000, 0), 4).ok());
    EXPECT_FALSE(takeBlockCorners(test::filledBuffer(5, 4, 0), 2).ok());
}

TEST(Magnify, PaintingPartOfABlockPaintsTheWholeBlock) {
    PixelBuffer big = *magnify(test::filledBuffer(5, 5, 0), 3);
    paintBlock(big, 3, 4, 7, 0xFF0000);  // the block from (3, 6) to (5, 8)
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x) {
            const bool inBlock = x >= 3 && x <= 5 && y >= 6 && y <= 8;
            ASSERT_EQ(big.at(x, y), inBlock ? 0xFF0000u : 0u) << x << "," << y;
        }
    paintBlock(big, 3, -1, 0, 0xFF);
    paintBlock(big, 3, 15, 0, 0xFF);
    EXPECT_EQ(takeBlockCorners(big, 3)->at(1, 2), 0xFF0000u);
    EXPECT_EQ(takeBlockCorners(big, 3)->at(0, 0), 0u);
}

}  // namespace
}  // namespace kirimo
