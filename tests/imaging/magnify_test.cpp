#include <gtest/gtest.h>

#include "imaging/magnify.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

TEST(Magnify, EveryDotBecomesASolidBlockAndCornersComeBack) {
    const PixelBuffer picture = test::randomPicture(10, 10, 5);
    auto big = magnify(picture, 4);
    ASSERT_TRUE(big.ok());
    ASSERT_EQ(big->width(), 40);
    ASSERT_EQ(big->height(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(big->at(x, y), picture.at(x / 4, y / 4));
    auto back = takeBlockCorners(*big, 4);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, picture);
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

TEST(Magnify, OnlyTheTopLeftPixelOfEachBlockCounts) {
    PixelBuffer big = *magnify(test::filledBuffer(2, 2, 0x123456), 2);
    big.at(1, 1) = 0;  // inside block (0, 0), not its corner
    big.at(2, 0) = 7;  // the corner of block (1, 0)
    const PixelBuffer back = *takeBlockCorners(big, 2);
    EXPECT_EQ(back.at(0, 0), 0x123456u);
    EXPECT_EQ(back.at(1, 0), 7u);
}

TEST(Magnify, RefusesOtherZoomsAndMismatchedSizes) {
    EXPECT_FALSE(magnify(test::filledBuffer(2, 2, 0), 1).ok());
    EXPECT_FALSE(magnify(test::filledBuffer(2, 2, 0), 5).ok());
    EXPECT_FALSE(magnify(test::filledBuffer(20000, 10000, 0), 4).ok());
    EXPECT_FALSE(takeBlockCorners(test::filledBuffer(5, 4, 0), 2).ok());
}

}  // namespace
}  // namespace kirimo
