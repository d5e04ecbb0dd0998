// Pixel buffers and the number rules, the filters, quarter turns, flips and resizing, and
// magnified previews: worked values, laws over random pictures, and plain transcriptions
// of the rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "imaging/filters.h"
#include "imaging/magnify.h"
#include "imaging/numeric.h"
#include "imaging/pixel_buffer.h"
#include "imaging/transforms.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;
using test::makeBuffer;
using test::randomPicture;

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
    const Pixel p = 0x00123456u;
    EXPECT_EQ(std::tuple(pixelRed(p), pixelGreen(p), pixelBlue(p)), std::tuple(0x12, 0x34, 0x56));
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

TEST(Magnify, EveryDotBecomesASolidBlockPaintedWholeWhoseCornerComesBack) {
    const PixelBuffer picture = randomPicture(10, 10, 5);
    for (int zoom : {2, 3, 4}) {
        auto big = magnify(picture, zoom);
        ASSERT_TRUE(big.ok()) << zoom;
        ASSERT_EQ(big->width(), 10 * zoom);
        ASSERT_EQ(big->height(), 10 * zoom);
        for (int y = 0; y < big->height(); ++y)
            for (int x = 0; x < big->width(); ++x)
                ASSERT_EQ(big->at(x, y), picture.at(x / zoom, y / zoom));
        EXPECT_EQ(*takeBlockCorners(*big, zoom), picture);
    }
    PixelBuffer big = *magnify(filledBuffer(5, 5, 0), 3);
    paintBlock(big, 3, 4, 7, 0xFF0000);  // the block from (3, 6) to (5, 8)
    paintBlock(big, 3, -1, 0, 0xFF);     // outside: nothing
    paintBlock(big, 3, 15, 0, 0xFF);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            ASSERT_EQ(big.at(x, y), x >= 3 && x <= 5 && y >= 6 && y <= 8 ? 0xFF0000u : 0u)
                << x << "," << y;
    // Only the top-left pixel of each block counts.
    big.at(1, 1) = 7;  // inside block (0, 0), not its corner
    big.at(3, 0) = 9;  // the corner of block (1, 0)
    const PixelBuffer corners = *takeBlockCorners(big, 3);
    EXPECT_EQ(corners.at(0, 0), 0u);
    EXPECT_EQ(corners.at(1, 0), 9u);
    EXPECT_EQ(corners.at(1, 2), 0xFF0000u);
    // Other zooms, results too large to hold and magnified sizes off the zoom are refused.
    for (int zoom : {1, 5})
        EXPECT_FALSE(magnify(filledBuffer(2, 2, 0), zoom).ok()) << zoom;
    EXPECT_FALSE(magnify(filledBuffer(8192, 4096, 0), 4).ok());
    EXPECT_FALSE(takeBlockCorners(filledBuffer(5, 4, 0), 2).ok());
}

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
        {WeightedFilter::Outline, 100, 4, 3, 3, 1, grey(0)}};
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

TEST(Median, MatchesSortingNineKeysOrderedByBlueFirstForEverySize) {
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
    // A single pixel stays, its top byte cleared.
    EXPECT_EQ(applyMedianFilter(makeBuffer({{0xAB123456u}})).at(0, 0), 0x00123456u);
    // Blue counts most: four of r < one of b1 < four of b2, so the fifth is b1. Ordered as
    // 0x00RRGGBB numbers the fifth would be b2.
    const Pixel r = makePixel(1, 0, 0), b1 = makePixel(0, 0, 1), b2 = makePixel(0, 0, 2);
    EXPECT_EQ(applyMedianFilter(makeBuffer({{r, b2, r}, {b2, b1, b2}, {r, b2, r}})).at(1, 1), b1);
}

// Each pixel names its own position, so a result shows where every pixel came from.
PixelBuffer positionPicture(int width, int height) {
    PixelBuffer picture = filledBuffer(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at(x, y) = static_cast<Pixel>(x << 12 | y);
    return picture;
}

// The enlarging method exactly as a painter would run it: every input pixel paints its
// whole block in order, later blocks overwriting earlier ones.
PixelBuffer paintEnlarged(const PixelBuffer& in, int newWidth, int newHeight) {
    const int w = in.width();
    const int h = in.height();
    PixelBuffer out = filledBuffer(newWidth, newHeight, 0);
    const int sx = static_cast<int>(std::floor(static_cast<double>(newWidth) / w + 0.5));
    const int sy = static_cast<int>(std::floor(static_cast<double>(newHeight) / h + 0.5));
    const auto lerp = [](int from, int to, int span, int step) {
        return static_cast<int>(roundHalfEven(static_cast<double>(to - from) / span * step + from));
    };
    for (int i = 0; i < w; ++i) {
        for (int j = 0; j < h; ++j) {
            const int x0 = static_cast<int>(roundHalfEven(static_cast<double>(i) * newWidth / w));
            const int y0 = static_cast<int>(roundHalfEven(static_cast<double>(j) * newHeight / h));
            const Pixel p00 = in.at(i, j);
            const Pixel p10 = i + 1 < w ? in.at(i + 1, j) : p00;
            const Pixel p01 = j + 1 < h ? in.at(i, j + 1) : p00;
            const Pixel p11 = i + 1 < w && j + 1 < h ? in.at(i + 1, j + 1) : p00;
            for (int X = x0; X <= x0 + sx; ++X) {
                if (X >= newWidth)
                    continue;
                int top[3];
                int bottom[3];
                for (int c = 0; c < 3; ++c) {
                    const int shift = 16 - 8 * c;
                    const int a = (p00 >> shift) & 0xFF;
                    const int b = (p10 >> shift) & 0xFF;
                    const int d = (p01 >> shift) & 0xFF;
                    const int e = (p11 >> shift) & 0xFF;
                    top[c] = sx == 0 ? a : lerp(a, b, sx, X - x0);
                    bottom[c] = sx == 0 ? d : lerp(d, e, sx, X - x0);
                }
                for (int Y = y0; Y <= y0 + sy; ++Y) {
                    if (Y >= newHeight)
                        continue;
                    int v[3];
                    for (int c = 0; c < 3; ++c)
                        v[c] = sy == 0 ? top[c] : lerp(top[c], bottom[c], sy, Y - y0);
                    out.at(X, Y) = makePixel(v[0], v[1], v[2]);
                }
            }
        }
    }
    return out;
}

// Quarter turns, flips, mirrors and inversion: worked examples, and the laws on pictures
// of many shapes (every bit of every pixel moved, the top byte too); flipping in place
// with odd and even heights (the middle row of an odd one stays).
TEST(QuarterTurnsAndFlips, WorkedExamplesAndThePictureBackAfterAFullCircle) {
    const PixelBuffer small = makeBuffer({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(rotateClockwise(small), makeBuffer({{4, 1}, {5, 2}, {6, 3}}));
    EXPECT_EQ(rotateCounterClockwise(small), makeBuffer({{3, 6}, {2, 5}, {1, 4}}));
    EXPECT_EQ(flipVertical(small), makeBuffer({{4, 5, 6}, {1, 2, 3}}));
    EXPECT_EQ(mirrorHorizontal(small), makeBuffer({{3, 2, 1}, {6, 5, 4}}));
    EXPECT_EQ(invertColours(makeBuffer({{0xAB00FF10u}})).at(0, 0), 0xABFF00EFu);
    for (const auto& [width, height] :
         {std::pair(300, 200), std::pair(53, 77), std::pair(150, 1), std::pair(1, 2)}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height);
        const PixelBuffer picture = randomPicture(width, height, width, 0xFFFFFFFFu);
        const PixelBuffer turned = rotateClockwise(picture);
        EXPECT_EQ(turned.width(), height);
        EXPECT_EQ(turned.height(), width);
        EXPECT_EQ(turned.at(height - 1, 0), picture.at(0, 0));
        EXPECT_EQ(rotateCounterClockwise(turned), picture);
        EXPECT_EQ(rotateClockwise(rotateClockwise(rotateClockwise(turned))), picture);
        EXPECT_EQ(rotateCounterClockwise(rotateCounterClockwise(picture)),
                  rotateClockwise(rotateClockwise(picture)));
        EXPECT_EQ(flipVertical(flipVertical(picture)), picture);
        EXPECT_EQ(mirrorHorizontal(mirrorHorizontal(picture)), picture);
        EXPECT_EQ(mirrorHorizontal(flipVertical(picture)), rotateClockwise(turned));
        EXPECT_EQ(invertColours(invertColours(picture)), picture);
        for (const int threads : {1, 3}) {
            PixelBuffer flipped = picture;
            flipVerticalInPlace(flipped, threads);
            EXPECT_EQ(flipped, flipVertical(picture)) << threads << " threads";
        }
    }
}

TEST(Reduce, TakesThePixelsAtRoundedPositionsWholeAndOnlyShrinks) {
    const PixelBuffer picture = positionPicture(100, 100);
    auto halved = reducePicture(picture, 50, 50);
    ASSERT_TRUE(halved.ok());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(halved->at(x, y), picture.at(2 * x, 2 * y)) << x << "," << y;
    // Three to two takes columns 0 and 2 (1.5 rounds to 2), top byte included.
    const PixelBuffer three = makeBuffer({{1, 2, 3}, {4, 5, 6}, {7, 8, 0xFF000009u}});
    EXPECT_EQ(*reducePicture(three, 2, 2), makeBuffer({{1, 3}, {7, 0xFF000009u}}));
    // Sizes from 1 up to the picture's own, no more.
    const struct {
        int width, height;
        bool ok;
    } limits[] = {{100, 100, true},  {1, 1, true},  {101, 100, false},
                  {100, 101, false}, {0, 5, false}, {5, 0, false}};
    for (const auto& l : limits)
        EXPECT_EQ(reducePicture(picture, l.width, l.height).ok(), l.ok)
            << l.width << "x" << l.height;
}

TEST(Enlarge, MatchesBlockPaintingInOrderForManyRatios) {
    EXPECT_EQ(*enlargePicture(makeBuffer({{grey(0), grey(255)}}), 4, 2),
              makeBuffer({{grey(0), grey(128), grey(255), grey(255)},
                          {grey(0), grey(64), grey(255), grey(255)}}));
    const int sizes[][4] = {
        {2, 1, 4, 2},        {7, 5, 23, 11},       {10, 10, 25, 4},      {3, 7, 4, 30},
        {5, 5, 5, 5},        {9, 4, 13, 9},        {6, 6, 2, 19},        {1, 1, 20, 20},
        {4, 1, 31, 3},       {11, 13, 12, 14},     {20, 20, 41, 39},     {8, 3, 3, 8},
        {1, 9, 5, 2},        {16, 9, 40, 21},      {100, 100, 100, 300}, {100, 100, 40, 300},
        {100, 100, 300, 40}, {300, 200, 640, 420},  // large enough for interpolation results to be
                                                    // tabled ahead
    };
    uint32_t seed = 10;
    for (const auto& s : sizes) {
        const PixelBuffer picture = randomPicture(s[0], s[1], ++seed);
        auto enlarged = enlargePicture(picture, s[2], s[3]);
        ASSERT_TRUE(enlarged.ok());
        EXPECT_EQ(*enlarged, paintEnlarged(picture, s[2], s[3]))
            << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
    }
    // The top byte is cleared; empty and unholdable results are refused.
    EXPECT_EQ(*enlargePicture(makeBuffer({{0xFF102030u}}), 3, 3), filledBuffer(3, 3, 0x00102030u));
    const PixelBuffer picture = randomPicture(100, 100, 20);
    EXPECT_FALSE(enlargePicture(PixelBuffer(), 20, 20).ok());
    EXPECT_FALSE(enlargePicture(picture, 0, 5).ok());
    EXPECT_FALSE(enlargePicture(picture, 5, 0).ok());
    EXPECT_TRUE(enlargePicture(picture, 1, 1).ok());
    auto tooLarge = enlargePicture(positionPicture(2, 2), 50000, 50000);
    ASSERT_FALSE(tooLarge.ok());
    EXPECT_NE(tooLarge.error().find("50000 x 50000"), std::string::npos);
}

TEST(Resize, EnlargesUnlessBothSidesShrinkAndRefusesSidesBelowTwenty) {
    const PixelBuffer picture = randomPicture(60, 50, 31);
    EXPECT_EQ(*resizePicture(picture, 60, 30), *enlargePicture(picture, 60, 30));
    EXPECT_EQ(*resizePicture(picture, 30, 70), *enlargePicture(picture, 30, 70));
    EXPECT_EQ(*resizePicture(picture, 59, 49), *reducePicture(picture, 59, 49));
    EXPECT_EQ(*resizePicture(picture, 60, 50), picture);  // equal size, through enlarging
    auto refused = resizePicture(picture, 19, 400);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("20"), std::string::npos);
    EXPECT_FALSE(resizePicture(picture, 400, 19).ok());
    auto applied = resizePicture(picture, 20, 20);
    ASSERT_TRUE(applied.ok());
    EXPECT_EQ(applied->width(), 20);
    EXPECT_EQ(applied->height(), 20);
}

TEST(ImagingThreads, EveryBandCountGivesTheSameResult) {
    const PixelBuffer picture = randomPicture(97, 61, 40, 0xFFFFFFFFu);
    for (int threads : {2, 3, 7, 0}) {
        SCOPED_TRACE(threads);
        for (WeightedFilter filter : kWeightedFilters)
            ASSERT_EQ(applyWeightedFilter(picture, filter, threads),
                      applyWeightedFilter(picture, filter, 1));
        EXPECT_EQ(applyMedianFilter(picture, threads), applyMedianFilter(picture, 1));
        EXPECT_EQ(invertColours(picture, threads), invertColours(picture, 1));
        EXPECT_EQ(flipVertical(picture, threads), flipVertical(picture, 1));
        EXPECT_EQ(mirrorHorizontal(picture, threads), mirrorHorizontal(picture, 1));
        EXPECT_EQ(rotateClockwise(picture, threads), rotateClockwise(picture, 1));
        EXPECT_EQ(rotateCounterClockwise(picture, threads), rotateCounterClockwise(picture, 1));
        EXPECT_EQ(*reducePicture(picture, 41, 23, threads), *reducePicture(picture, 41, 23, 1));
        EXPECT_EQ(*enlargePicture(picture, 203, 89, threads), *enlargePicture(picture, 203, 89, 1));
    }
}

// In place, every band reads its neighbours' rows as they were, however many bands there
// are: one row each, single rows and columns, and bands where a picture has fewer rows.
TEST(ImagingThreads, InPlaceFiltersGiveTheResultOfACopy) {
    const PixelBuffer pictures[] = {randomPicture(1, 1, 41),   randomPicture(1, 6, 42),
                                    randomPicture(6, 1, 43),   randomPicture(2, 3, 44),
                                    randomPicture(17, 13, 45), randomPicture(97, 61, 46)};
    for (const PixelBuffer& picture : pictures) {
        for (int threads : {1, 2, 3, 7, 0}) {
            SCOPED_TRACE(testing::Message()
                         << picture.width() << "x" << picture.height() << " threads " << threads);
            for (WeightedFilter filter : kWeightedFilters) {
                PixelBuffer inPlace = picture;
                applyWeightedFilterInPlace(inPlace, filter, threads);
                ASSERT_EQ(inPlace, applyWeightedFilter(picture, filter, 1));
            }
            PixelBuffer inPlace = picture;
            applyMedianFilterInPlace(inPlace, threads);
            ASSERT_EQ(inPlace, applyMedianFilter(picture, 1));
        }
    }
}

}  // namespace
}  // namespace kirimo
