#include <gtest/gtest.h>

#include <random>

#include "core/colour_table.h"
#include "imaging/cielab.h"
#include "imaging/conversion.h"
#include "support/conversion_reference.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;
using test::makeBuffer;
using test::randomPicture;

ConversionSettings withPalette(int kind, ColourSpace space = ColourSpace::Rgb) {
    ConversionSettings settings;
    settings.space = space;
    for (int n : paletteColours(kind))
        settings.usable[n] = true;
    return settings;
}

constexpr int kMono = 0, kEight = 1, kEighteen = 3;

TEST(FindNearestColour, WorkedExamplesInBothSpaces) {
    const Palette palette = ColourTable().palette();
    struct Case {
        int kind;
        ColourSpace space;
        int r, g, b;
        int colour;
        double distance;
    };
    const Case cases[] = {
        {kEight, ColourSpace::Rgb, 130, 130, 130, 7, 269},
        {kEight, ColourSpace::Ycc, 130, 130, 130, 1, 15625},
        {kEighteen, ColourSpace::Rgb, 130, 130, 130, 17, 6},
        {kEighteen, ColourSpace::Ycc, 130, 130, 130, 17, 4},
    };
    for (const Case& c : cases) {
        const auto found = findNearestColour(c.r, c.g, c.b, palette, withPalette(c.kind, c.space));
        EXPECT_EQ(found.colour, c.colour) << c.kind;
        EXPECT_EQ(found.distance, c.distance) << c.kind;
    }
    for (ColourSpace space : {ColourSpace::Rgb, ColourSpace::Ycc}) {
        EXPECT_EQ(findNearestColour(200, 100, 50, palette, withPalette(kEight, space)).colour, 2);
        EXPECT_EQ(findNearestColour(200, 100, 50, palette, withPalette(kEighteen, space)).colour,
                  10);
    }
}

TEST(FindNearestColour, FallbacksWhenColoursAreSwitchedOff) {
    const Palette palette = ColourTable().palette();
    ConversionSettings none;  // nothing usable
    const auto white = findNearestColour(0, 0, 0, palette, none);
    EXPECT_EQ(white.colour, 1);
    EXPECT_EQ(white.distance, 765);

    ConversionSettings noBlack = withPalette(kEight, ColourSpace::Ycc);
    noBlack.usable[0] = false;
    EXPECT_EQ(findNearestColour(0, 0, 0, palette, noBlack).colour, 0);
    EXPECT_EQ(findNearestColour(0, 0, 0, palette, noBlack).distance, 0);
}

TEST(FindNearestColour, CieMapsEveryPaletteColourToItself) {
    const Palette palette = ColourTable().palette();
    const ConversionSettings all = withPalette(kEighteen, ColourSpace::Cie);
    for (int n = 0; n < kColourCount; ++n) {
        const auto found =
            findNearestColour(palette[n].red, palette[n].green, palette[n].blue, palette, all);
        EXPECT_EQ(found.colour, n);
        EXPECT_EQ(found.distance, 0.0);
    }
    ConversionSettings none;
    none.space = ColourSpace::Cie;
    EXPECT_EQ(findNearestColour(3, 4, 5, palette, none).colour, 1);
}

// The CIE search tries likely colours first and rules others out by a lower bound; it must
// still find what a scan of every usable colour in order with a strict comparison finds.
TEST(FindNearestColour, CieSearchAgreesWithAFullScan) {
    const Palette palette = ColourTable().palette();
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        ConversionSettings settings;
        settings.space = ColourSpace::Cie;
        if (round <= 4) {
            for (int n : paletteColours(round))
                settings.usable[n] = true;
        } else {
            for (bool& u : settings.usable)
                u = rng() % 2 == 0;
        }
        for (int i = 0; i < 500; ++i) {
            const int r = static_cast<int>(rng() % 256), g = static_cast<int>(rng() % 256),
                      b = static_cast<int>(rng() % 256);
            const Lab lab = srgbToLab(r, g, b);
            int best = -1;
            double bestDist = 0;
            for (int n = 0; n < kColourCount; ++n) {
                if (!settings.usable[n])
                    continue;
                const Lab colour = srgbToLab(palette[n].red, palette[n].green, palette[n].blue);
                const double d = ciede2000(lab, colour);
                EXPECT_LE(ciede2000LightnessBound(lab, colour), d);
                EXPECT_LE(ciede2000LowerBound(lab, labChroma(lab), colour, labChroma(colour)), d);
                if (best < 0 || d < bestDist) {
                    best = n;
                    bestDist = d;
                }
            }
            if (best < 0)
                continue;
            const auto found = findNearestColour(r, g, b, palette, settings);
            ASSERT_EQ(found.colour, best) << r << "," << g << "," << b << " round " << round;
            EXPECT_EQ(found.distance, bestDist);
        }
    }
}

TEST(Ciede2000, PublishedTestPairs) {
    struct Pair {
        Lab first, second;
        double expected;
    };
    const Pair pairs[] = {
        {{50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
        {{50.0, 3.1571, -77.2803}, {50.0, 0.0, -82.7485}, 2.8615},
        {{50.0, -1.3802, -84.2814}, {50.0, 0.0, -82.7485}, 1.0000},
        {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}, 2.3669},
        {{50.0, 2.49, -0.001}, {50.0, -2.49, 0.0009}, 7.1792},
        {{50.0, 2.49, -0.001}, {50.0, -2.49, 0.0011}, 7.2195},
        {{50.0, -0.001, 2.49}, {50.0, 0.0009, -2.49}, 4.8045},
        {{50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}, 27.1492},
        {{50.0, 2.5, 0.0}, {61.0, -5.0, 29.0}, 22.8977},
        {{50.0, 2.5, 0.0}, {56.0, -27.0, -3.0}, 31.9030},
        {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    };
    for (const Pair& p : pairs) {
        EXPECT_NEAR(ciede2000(p.first, p.second), p.expected, 0.00005) << p.expected;
        EXPECT_NEAR(ciede2000(p.second, p.first), p.expected, 0.00005) << p.expected;
    }
    const Lab white = srgbToLab(255, 255, 255);
    EXPECT_NEAR(white.l, 100.0, 1e-3);
    EXPECT_NEAR(white.a, 0.0, 1e-3);
    EXPECT_NEAR(white.b, 0.0, 1e-3);
}

TEST(ConvertPicture, MatchesThePlainRulesOnManyPicturesAndSettings) {
    const Palette palette = ColourTable().palette();
    std::mt19937 rng(42);
    for (int round = 0; round < 60; ++round) {
        ConversionSettings settings;
        settings.space = static_cast<ColourSpace>(round % 3);
        for (bool& u : settings.usable)
            u = rng() % 3 != 0;
        if (round % 7 == 0)
            settings.usable = {};
        for (auto& w : settings.weights)
            w = static_cast<int16_t>(static_cast<int>(rng() % 15) - 3);
        if (round % 5 == 0)
            settings.weights = kFloydSteinbergWeights;
        if (round % 5 == 1)
            settings.weights = kJarvisJudiceNinkeWeights;
        settings.rate = static_cast<int>(rng() % 101);
        for (int& d : settings.density)
            d = static_cast<int>(rng() % 51);
        const PixelBuffer picture = randomPicture(1 + static_cast<int>(rng() % 23),
                                                  1 + static_cast<int>(rng() % 11), round);
        const ConversionResult slow = test::referenceConversion(picture, palette, settings);
        // Both the vector loop (where the processor has it) and the plain loop.
        for (bool vector : {true, false}) {
            setVectorConversionAllowed(vector);
            auto fast = convertPicture(picture, palette, settings);
            setVectorConversionAllowed(true);
            ASSERT_TRUE(fast.ok()) << fast.error();
            ASSERT_EQ(fast->pixels, slow.pixels) << "round " << round << " vector " << vector;
            EXPECT_EQ(fast->counts, slow.counts);
            EXPECT_EQ(fast->lastColour, slow.lastColour);
        }
    }
}

TEST(ConvertPicture, NoDiffusionWithRateOrDensitiesZero) {
    const Palette palette = ColourTable().palette();
    const PixelBuffer picture = randomPicture(17, 9, 3);
    ConversionSettings rateZero = withPalette(kEight);
    rateZero.rate = 0;
    ConversionSettings densityZero = withPalette(kEight);
    densityZero.density = {0, 0, 0};
    for (const auto& settings : {rateZero, densityZero}) {
        auto result = convertPicture(picture, palette, settings);
        ASSERT_TRUE(result.ok());
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const Pixel p = picture.at(x, y);
                const int c =
                    findNearestColour(pixelRed(p), pixelGreen(p), pixelBlue(p), palette, settings)
                        .colour;
                EXPECT_EQ(result->pixels.at(x, y),
                          makePixel(palette[c].red, palette[c].green, palette[c].blue));
            }
    }
}

// Diffusion on one or two rows, in black and white, where one misstep flips a dot.
TEST(ConvertPicture, DiffusionEdgeCases) {
    const Palette palette = ColourTable().palette();
    const auto grey = [](int v) { return makePixel(v, v, v); };
    const struct {
        const char* what;
        std::array<int16_t, kWeightCount> weights;
        int density;
        PixelBuffer picture;
        std::vector<Pixel> expected;  // row by row
    } cases[] = {
        // (0,0) 10 goes black with error 10; (1,0) 100 gets 7 x 10 and turns white; (0,1)
        // 140 would turn black if the negative cell took anything.
        {"weights summing to zero are not normalised",
         {7, 0, 0, 0, -7, 0, 0, 0, 0, 0, 0, 0},
         10,
         makeBuffer({{grey(10), grey(100)}, {grey(140), grey(0)}}),
         {0, 0xFFFFFF, 0xFFFFFF, 0}},
        // Only (x + 2, y): the first pixel's error (120) would turn the second white if it
        // were redistributed.
        {"errors falling off the picture are lost",
         {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         10,
         makeBuffer({{grey(120), grey(100)}}),
         {0, 0}},
        // 120 goes black with error 600 after scaling; the neighbour saturates at 255 and,
        // being white, passes on nothing, so the third pixel keeps its own colour.
        {"diffused values are clamped at the neighbour",
         {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         50,
         makeBuffer({{grey(120), grey(200), grey(100)}}),
         {0, 0xFFFFFF, 0}},
    };
    for (const auto& c : cases) {
        ConversionSettings settings = withPalette(kMono);
        settings.weights = c.weights;
        settings.density = {c.density, c.density, c.density};
        auto result = convertPicture(c.picture, palette, settings);
        ASSERT_TRUE(result.ok()) << c.what;
        EXPECT_EQ(std::vector<Pixel>(result->pixels.data(),
                                     result->pixels.data() + result->pixels.size()),
                  c.expected)
            << c.what;
    }
}

TEST(ConvertPicture, OnePixelAndTheColoursUsed) {
    const Palette palette = ColourTable().palette();
    auto single = convertPicture(filledBuffer(1, 1, makePixel(200, 100, 50)), palette,
                                 withPalette(kEighteen));
    ASSERT_TRUE(single.ok());
    EXPECT_EQ(single->lastColour, 10);
    EXPECT_EQ(single->counts[10], 1);

    // Only reds: the colours chosen are a few reddish ones, never blue or green.
    PixelBuffer reds = *PixelBuffer::create(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            reds.at(x, y) = makePixel(120 + 6 * x, 0, 0);
    auto result = convertPicture(reds, palette, withPalette(kEighteen));
    ASSERT_TRUE(result.ok());
    EXPECT_GT(result->counts[2] + result->counts[9], 0);
    for (int n : {1, 3, 4, 5, 6, 7, 13, 14})
        EXPECT_EQ(result->counts[n], 0) << n;
    int total = 0;
    for (int c : result->counts)
        total += c;
    EXPECT_EQ(total, 200);
}

TEST(ConvertPicture, RefusesEmptyPicturesAndSettingsOutOfRange) {
    const Palette palette = ColourTable().palette();
    auto empty = convertPicture(PixelBuffer(), palette, withPalette(kEight));
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.error().find("no pixels"), std::string::npos);
    ConversionSettings badRate = withPalette(kEight);
    badRate.rate = 101;
    EXPECT_FALSE(convertPicture(filledBuffer(2, 2, 0), palette, badRate).ok());
    ConversionSettings badDensity = withPalette(kEight);
    badDensity.density[2] = -1;
    auto refused = convertPicture(filledBuffer(2, 2, 0), palette, badDensity);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("blue density"), std::string::npos);
}

}  // namespace
}  // namespace kirimo
