#include "imaging/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "imaging/numeric.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;
using test::makeBuffer;
using test::randomPicture;

// Every byte value at every place of the neighbourhood: channel values run through 0..255
// along each row at different speeds.
PixelBuffer everyByteValue() {
    PixelBuffer picture = filledBuffer(256, 5, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 256; ++x)
            picture.at(x, y) = makePixel((x + 37 * y) % 256, (3 * x + y) % 256, 255 - x);
    return picture;
}

Pixel grey(int v) {
    return makePixel(v, v, v);
}

// The weighted filter written out term by term in floating point, as a reviewer would
// check it by hand.
PixelBuffer referenceWeighted(const PixelBuffer& in, const ConvolveKernel& k) {
    PixelBuffer out = filledBuffer(in.width(), in.height(), 0);
    const int order[8][2] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            int channels[3];
            for (int c = 0; c < 3; ++c) {
                const int shift = 16 - 8 * c;
                int acc = 0;
                for (const auto& [i, j] : order) {
                    const int px = x + i - 1;
                    const int py = y + j - 1;
                    if (px < 0 || py < 0 || px >= in.width() || py >= in.height())
                        continue;
                    const int v = (in.at(px, py) >> shift) & 0xFF;
                    acc = static_cast<int>(
                        roundHalfEven(acc + v * static_cast<double>(k.weights[j][i])));
                }
                const int v = (in.at(x, y) >> shift) & 0xFF;
                acc = static_cast<int>(
                    roundHalfEven(acc + v * static_cast<double>(k.weights[1][1]) + k.offset));
                acc = std::clamp(acc, 0, 255);
                channels[c] = k.invertAfter ? 255 - acc : acc;
            }
            out.at(x, y) = makePixel(channels[0], channels[1], channels[2]);
        }
    }
    return out;
}

PixelBuffer referenceMedian(const PixelBuffer& in) {
    PixelBuffer out = filledBuffer(in.width(), in.height(), 0);
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            int32_t keys[9];
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int px = x + dx;
                    const int py = y + dy;
                    const bool inside = px >= 0 && py >= 0 && px < in.width() && py < in.height();
                    keys[n++] = medianKey(inside ? in.at(px, py) : in.at(x, y));
                }
            std::sort(keys, keys + 9);
            out.at(x, y) = colourValueToPixel(keys[4]);
        }
    }
    return out;
}

TEST(WeightedFilters, KernelsAreTheNearestSinglePrecisionNumbers) {
    const auto& weak = convolveKernel(WeightedFilter::SharpenWeak);
    EXPECT_DOUBLE_EQ(weak.weights[0][0], -0.100000001490116119384765625);
    EXPECT_DOUBLE_EQ(weak.weights[1][1], 1.7999999523162841796875);
    const auto& blur = convolveKernel(WeightedFilter::Blur);
    EXPECT_DOUBLE_EQ(blur.weights[0][0], 0.07999999821186065673828125);
    EXPECT_DOUBLE_EQ(blur.weights[0][1], 0.119999997317790985107421875);
    EXPECT_DOUBLE_EQ(blur.weights[1][1], 0.20000000298023223876953125);
    EXPECT_EQ(convolveKernel(WeightedFilter::Emboss).offset, 128);
    EXPECT_EQ(convolveKernel(WeightedFilter::Emboss).weights[2][2], 1.0f);
    EXPECT_EQ(convolveKernel(WeightedFilter::Emboss).weights[0][0], -1.0f);
    EXPECT_TRUE(convolveKernel(WeightedFilter::Outline).invertAfter);
    EXPECT_FALSE(convolveKernel(WeightedFilter::SharpenStrong).invertAfter);
}

TEST(WeightedFilters, MatchTermByTermRoundingForEveryKernelSizeAndByte) {
    const PixelBuffer pictures[] = {
        everyByteValue(),         randomPicture(1, 1, 1),   randomPicture(1, 6, 2),
        randomPicture(6, 1, 3),   randomPicture(2, 2, 4),   randomPicture(3, 3, 5),
        randomPicture(17, 13, 6), randomPicture(40, 33, 7),
    };
    for (WeightedFilter filter : kWeightedFilters) {
        for (const PixelBuffer& picture : pictures) {
            ASSERT_EQ(applyWeightedFilter(picture, filter),
                      referenceWeighted(picture, convolveKernel(filter)))
                << "filter " << static_cast<int>(filter) << " on " << picture.width() << "x"
                << picture.height();
        }
    }
}

// Worked values on flat pictures, where the border sees part of the kernel.
TEST(WeightedFilters, FlatPicturesInsideAndAtTheBorder) {
    const struct {
        WeightedFilter filter;
        int grey, width, height, x, y;
        Pixel expected;
    } cases[] = {
        {WeightedFilter::Average, 200, 3, 3, 0, 0, grey(100)},
        {WeightedFilter::Average, 200, 3, 3, 1, 0, grey(140)},
        {WeightedFilter::Average, 200, 3, 3, 1, 1, grey(200)},
        {WeightedFilter::Average, 5, 5, 4, 2, 1, grey(9)},  // per-term rounding
        {WeightedFilter::SharpenStrong, 100, 4, 3, 1, 1, grey(100)},
        {WeightedFilter::SharpenStrong, 100, 4, 3, 0, 0, grey(255)},  // 9 x 100 - 3 x 100
        {WeightedFilter::SharpenStrong, 100, 4, 3, 1, 0, grey(255)},  // 9 x 100 - 5 x 100
        {WeightedFilter::Emboss, 100, 4, 4, 2, 2, grey(128)},
        {WeightedFilter::Emboss, 100, 4, 4, 0, 0, grey(228)},  // 128 + v(1, 1)
        {WeightedFilter::Emboss, 100, 4, 4, 3, 3, grey(28)},   // 128 - v(2, 2)
        {WeightedFilter::Emboss, 200, 4, 4, 0, 0, grey(255)},
        {WeightedFilter::Emboss, 200, 4, 4, 3, 3, grey(0)},
        {WeightedFilter::Outline, 100, 4, 3, 1, 1, grey(255)},
        {WeightedFilter::Outline, 100, 4, 3, 0, 0, grey(0)},  // 500 clamped to 255, inverted
        {WeightedFilter::Outline, 100, 4, 3, 3, 1, grey(0)},
    };
    for (const auto& c : cases) {
        const PixelBuffer out =
            applyWeightedFilter(filledBuffer(c.width, c.height, grey(c.grey)), c.filter);
        EXPECT_EQ(out.at(c.x, c.y), c.expected)
            << static_cast<int>(c.filter) << " " << c.grey << " at " << c.x << "," << c.y;
    }
    // A single pixel sees only the centre term; results carry zero in the top byte.
    const PixelBuffer single = makeBuffer({{makePixel(100, 10, 201)}});
    const Pixel expected[] = {makePixel(20, 2, 40), makePixel(180, 18, 255),
                              makePixel(255, 50, 255), grey(128), makePixel(0, 175, 0)};
    const WeightedFilter filters[] = {WeightedFilter::Average, WeightedFilter::SharpenWeak,
                                      WeightedFilter::SharpenMedium, WeightedFilter::Emboss,
                                      WeightedFilter::Outline};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(applyWeightedFilter(single, filters[i]).at(0, 0), expected[i]) << i;
    const PixelBuffer top =
        applyWeightedFilter(filledBuffer(5, 5, 0xAB646464u), WeightedFilter::SharpenMedium);
    for (size_t i = 0; i < top.size(); ++i)
        EXPECT_EQ(top.data()[i] >> 24, 0u);
}

TEST(Median, MatchesSortingNineKeysForEverySizeAndRemovesALoneBrightPixel) {
    const PixelBuffer pictures[] = {
        randomPicture(1, 1, 11),  randomPicture(1, 7, 12),   randomPicture(7, 1, 13),
        randomPicture(2, 2, 14),  randomPicture(3, 3, 15),   randomPicture(2, 9, 16),
        randomPicture(18, 5, 17), randomPicture(41, 29, 18), randomPicture(33, 20, 19, 0x030303),
    };
    for (const PixelBuffer& picture : pictures)
        ASSERT_EQ(applyMedianFilter(picture), referenceMedian(picture))
            << picture.width() << "x" << picture.height();
    PixelBuffer spot = filledBuffer(5, 5, grey(20));
    spot.at(2, 2) = grey(250);
    EXPECT_EQ(applyMedianFilter(spot), filledBuffer(5, 5, grey(20)));
    // Corners never change; a single pixel stays, its top byte cleared.
    const PixelBuffer picture = randomPicture(23, 17, 21);
    const PixelBuffer out = applyMedianFilter(picture);
    for (const auto& [x, y] :
         {std::pair(0, 0), std::pair(22, 0), std::pair(0, 16), std::pair(22, 16)})
        EXPECT_EQ(out.at(x, y), picture.at(x, y));
    EXPECT_EQ(applyMedianFilter(makeBuffer({{0xAB123456u}})).at(0, 0), 0x00123456u);
}

TEST(Median, OrdersByBlueFirst) {
    // By key (blue counts most): four of lowRed < one of blueOne < four of blueTwo, so the
    // fifth is blueOne. Ordered as 0x00RRGGBB numbers the fifth would be blueTwo.
    const Pixel lowRed = makePixel(1, 0, 0);
    const Pixel blueOne = makePixel(0, 0, 1);
    const Pixel blueTwo = makePixel(0, 0, 2);
    const PixelBuffer picture = makeBuffer(
        {{lowRed, blueTwo, lowRed}, {blueTwo, blueOne, blueTwo}, {lowRed, blueTwo, lowRed}});
    EXPECT_EQ(applyMedianFilter(picture).at(1, 1), blueOne);
}

TEST(Inversion, InvertsEachChannelKeepsTheTopByteAndTwiceGivesThePictureBack) {
    EXPECT_EQ(invertColours(makeBuffer({{0xAB00FF10u}})).at(0, 0), 0xABFF00EFu);
    const PixelBuffer picture = randomPicture(37, 21, 31, 0xFFFFFFFFu);
    EXPECT_EQ(invertColours(invertColours(picture)), picture);
}

TEST(FilterThreads, EveryBandCountGivesTheSameResult) {
    const PixelBuffer picture = randomPicture(70, 45, 41);
    for (int threads : {2, 3, 8, 0}) {
        for (WeightedFilter filter : kWeightedFilters)
            ASSERT_EQ(applyWeightedFilter(picture, filter, threads),
                      applyWeightedFilter(picture, filter, 1));
        ASSERT_EQ(applyMedianFilter(picture, threads), applyMedianFilter(picture, 1));
        ASSERT_EQ(invertColours(picture, threads), invertColours(picture, 1));
    }
}

}  // namespace
}  // namespace kirimo
