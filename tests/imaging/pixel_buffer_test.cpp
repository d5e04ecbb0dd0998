#include <gtest/gtest.h>

#include "imaging/colour_space.h"
#include "imaging/numeric.h"
#include "imaging/pixel_buffer.h"

namespace kirimo {
namespace {

TEST(PixelBuffer, RowsAreContiguousTopRowFirst) {
    auto buffer = PixelBuffer::create(3, 2);
    ASSERT_TRUE(buffer.ok());
    buffer->at(0, 0) = 1;
    buffer->at(2, 0) = 2;
    buffer->at(0, 1) = 3;
    buffer->at(2, 1) = 4;
    EXPECT_EQ(buffer->data()[0], 1u);
    EXPECT_EQ(buffer->data()[2], 2u);
    EXPECT_EQ(buffer->data()[3], 3u);
    EXPECT_EQ(buffer->data()[5], 4u);
    EXPECT_EQ(buffer->row(1), buffer->data() + 3);
}

TEST(PixelBuffer, RefusesSizesWhoseByteCountOverflowsBeforeAllocating) {
    EXPECT_TRUE(PixelBuffer::sizeAllowed(23170, 23170));   // 2 147 395 600 bytes
    EXPECT_FALSE(PixelBuffer::sizeAllowed(23171, 23171));  // 2 147 580 964 bytes
    EXPECT_FALSE(PixelBuffer::sizeAllowed(65536, 8192));
    EXPECT_FALSE(PixelBuffer::sizeAllowed(INT32_MAX, INT32_MAX));  // no overflow on the way
    EXPECT_FALSE(PixelBuffer::sizeAllowed(536870912, 1));
    EXPECT_TRUE(PixelBuffer::sizeAllowed(536870911, 1));
    EXPECT_FALSE(PixelBuffer::sizeAllowed(-1, 10));
    EXPECT_TRUE(PixelBuffer::sizeAllowed(0, 0));
    auto refused = PixelBuffer::create(100000, 100000);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("100000 x 100000"), std::string::npos);
}

TEST(PixelBuffer, PixelByteOrderAndColourValues) {
    const Pixel red = makePixel(255, 0, 0);
    EXPECT_EQ(red, 0x00FF0000u);
    EXPECT_EQ(pixelRed(0x00123456u), 0x12);
    EXPECT_EQ(pixelGreen(0x00123456u), 0x34);
    EXPECT_EQ(pixelBlue(0x00123456u), 0x56);
    EXPECT_EQ(pixelToColourValue(0x00123456u), 0x563412);
    EXPECT_EQ(colourValueToPixel(0x563412), 0x00123456u);
}

TEST(NumberRules, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(-3.5), -4.0);
    EXPECT_EQ(roundHalfEven(101.5), 102.0);
    EXPECT_EQ(roundHalfEven(102.5), 102.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundHalfEven(-0.4), 0.0);
}

TEST(NumberRules, CheckedArithmeticReportsOverflow) {
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
    const Ycc red = rgbToYcc(240, 0, 0);
    EXPECT_EQ(red.y, 71.76f);
    // 240 - Y lies halfway between two singles; the even one is taken.
    EXPECT_EQ(red.ry, 168.239990234375f);
    EXPECT_NE(red.ry, 168.24f);
    EXPECT_EQ(red.by, -71.76f);

    const Ycc pink = rgbToYcc(255, 176, 187);
    EXPECT_EQ(pink.y, 200.875f);
    EXPECT_EQ(pink.ry, 54.125f);
    EXPECT_EQ(pink.by, -13.875f);

    const Ycc grey = rgbToYcc(128, 128, 128);
    EXPECT_EQ(grey.y, 128.0f);
    EXPECT_EQ(grey.ry, 0.0f);
    EXPECT_EQ(grey.by, 0.0f);
}

}  // namespace
}  // namespace kirimo
