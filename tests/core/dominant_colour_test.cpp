// The dominant colour over the real colour table.

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/colour_table.h"
#include "imaging/dominant_colour.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::makeBuffer;

constexpr Pixel R = 0xF00000;  // colour 2 exactly
constexpr Pixel W = 0xFFFFFF;  // colour 1
constexpr Pixel K = 0x000000;  // colour 0

// Straight from the rule, column by column, with a plain search.
DominantCounts referenceCounts(const PixelBuffer& picture, const Palette& palette) {
    DominantCounts counts{};
    int previous = -1;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            const Pixel p = picture.at(x, y);
            int best = 765, colour = 0;
            for (int k = 0; k < 17; ++k) {
                const int d = std::abs(palette[k].red - pixelRed(p)) +
                              std::abs(palette[k].green - pixelGreen(p)) +
                              std::abs(palette[k].blue - pixelBlue(p));
                if (d < best)
                    best = d, colour = k;
            }
            counts[colour] += (colour == previous && colour >= 2 && colour <= 15) ? 2 : 1;
            previous = colour;
        }
    }
    return counts;
}

TEST(DominantColour, RunsOfColoursTwoToFifteenCountDouble) {
    const Palette palette = ColourTable().palette();
    struct Case {
        const char* what;
        PixelBuffer picture;
        int dominant;
        int64_t dominantCount;
    };
    const Case cases[] = {
        {"left half red", makeBuffer({{R, R, W, W}, {R, R, W, W}}), 2, 7},
        {"top half red", makeBuffer({{R, R}, {R, R}, {W, W}, {W, W}}), 2, 6},
        {"columns, not rows", makeBuffer({{R, W}, {R, W}}), 2, 3},
        {"a column runs on into the next", makeBuffer({{W, R}, {R, W}}), 2, 3},
        {"broken runs tie, lower number", makeBuffer({{R, W}, {W, R}}), 1, 2},
        {"black never doubles", makeBuffer({{K, R}, {K, K}}), 0, 3},
        {"no pixels", PixelBuffer{}, 0, 0},
    };
    for (const Case& c : cases) {
        const DominantCounts counts = DominantColourFinder(palette).counts(c.picture);
        EXPECT_EQ(counts[c.dominant], c.dominantCount) << c.what;
        EXPECT_EQ(dominantColour(c.picture, palette), c.dominant) << c.what;
    }
}

TEST(DominantColour, NeverTheUserColourAndTheSameAsThePlainRule) {
    const Palette palette = ColourTable().palette();  // the user colour is 808080
    DominantColourFinder finder(palette);
    EXPECT_EQ(finder.nearest(0x808080), 11);  // purple 800080, the nearest fixed colour
    EXPECT_EQ(finder.nearest(0xFF000000u | W), 1) << "the top byte is not a colour";
    // A finder reused across pictures (its cache warm) agrees with the plain rule.
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const PixelBuffer picture =
            test::randomPicture(37, 23, seed, seed == 3 ? 0xC0C0C0 : 0xFFFFFF);
        const DominantCounts expected = referenceCounts(picture, palette);
        EXPECT_EQ(finder.counts(picture), expected) << seed;
        EXPECT_EQ(finder.dominantColour(picture), dominantOf(expected)) << seed;
    }
}

}  // namespace
}  // namespace kirimo
