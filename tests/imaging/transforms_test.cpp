#include "imaging/transforms.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "imaging/numeric.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;
using test::makeBuffer;
using test::randomPicture;

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

// Quarter turns, flips and mirrors: worked examples, and the laws on large pictures
// (every bit of every pixel moved, the top byte too).
TEST(QuarterTurnsAndFlips, WorkedExamplesAndThePictureBackAfterAFullCircle) {
    const PixelBuffer small = makeBuffer({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(rotateClockwise(small), makeBuffer({{4, 1}, {5, 2}, {6, 3}}));
    EXPECT_EQ(rotateCounterClockwise(small), makeBuffer({{3, 6}, {2, 5}, {1, 4}}));
    EXPECT_EQ(flipVertical(small), makeBuffer({{4, 5, 6}, {1, 2, 3}}));
    EXPECT_EQ(mirrorHorizontal(small), makeBuffer({{3, 2, 1}, {6, 5, 4}}));
    for (const auto& [width, height] : {std::pair(300, 200), std::pair(150, 1), std::pair(1, 1)}) {
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
    }
}

// In place, with odd and even heights (the middle row of an odd one stays) and threads.
TEST(FlipAndMirror, FlipInPlaceMatchesTheFlippedCopy) {
    for (const int height : {1, 2, 77, 300}) {
        const PixelBuffer picture = randomPicture(53, height, height, 0xFFFFFFFFu);
        for (const int threads : {1, 3}) {
            PixelBuffer flipped = picture;
            flipVerticalInPlace(flipped, threads);
            EXPECT_EQ(flipped, flipVertical(picture)) << height << " rows, " << threads;
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
    EXPECT_FALSE(reducePicture(picture, 101, 5).ok());
    EXPECT_FALSE(reducePicture(picture, 5, 0).ok());
}

TEST(Enlarge, MatchesBlockPaintingInOrderForManyRatios) {
    const auto grey = [](int v) { return makePixel(v, v, v); };
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
    // Taller only keeps the columns; the last row's block ends the picture.
    const PixelBuffer picture = randomPicture(100, 100, 20);
    const PixelBuffer taller = *enlargePicture(picture, 100, 300);
    for (int x = 0; x < 100; ++x) {
        EXPECT_EQ(taller.at(x, 0), picture.at(x, 0));
        EXPECT_EQ(taller.at(x, 297), picture.at(x, 99));
    }
    // The top byte is cleared; empty and unholdable results are refused.
    EXPECT_EQ(*enlargePicture(makeBuffer({{0xFF102030u}}), 3, 3), filledBuffer(3, 3, 0x00102030u));
    EXPECT_FALSE(enlargePicture(PixelBuffer(), 20, 20).ok());
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

TEST(TransformThreads, EveryBandCountGivesTheSameResult) {
    const PixelBuffer picture = randomPicture(97, 61, 40, 0xFFFFFFFFu);
    for (int threads : {2, 3, 7, 0}) {
        EXPECT_EQ(flipVertical(picture, threads), flipVertical(picture, 1));
        EXPECT_EQ(mirrorHorizontal(picture, threads), mirrorHorizontal(picture, 1));
        EXPECT_EQ(rotateClockwise(picture, threads), rotateClockwise(picture, 1));
        EXPECT_EQ(rotateCounterClockwise(picture, threads), rotateCounterClockwise(picture, 1));
        EXPECT_EQ(*reducePicture(picture, 41, 23, threads), *reducePicture(picture, 41, 23, 1));
        EXPECT_EQ(*enlargePicture(picture, 203, 89, threads), *enlargePicture(picture, 203, 89, 1));
    }
}

}  // namespace
}  // namespace kirimo
