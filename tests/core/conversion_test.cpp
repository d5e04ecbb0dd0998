// The conversion engine: nearest colours in every colour space, the fast searches against
// straight scans on hard colours, diffusion against a plain transcription of the rules, and
// results on the bundled photograph pinned bit for bit.

#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "core/colour_table.h"
#include "core/picture_file.h"
#include "imaging/cie_search.h"
#include "imaging/cielab.h"
#include "imaging/colour_space.h"
#include "imaging/conversion.h"
#include "support/conversion_reference.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::filledBuffer;
using test::randomPicture;

ConversionSettings withPalette(int kind, ColourSpace space = ColourSpace::Rgb) {
    ConversionSettings settings;
    settings.space = space;
    for (int n : paletteColours(kind))
        settings.usable[n] = true;
    return settings;
}

constexpr int kEight = 1, kEighteen = 3;
constexpr ColourSpace kRgb = ColourSpace::Rgb, kYcc = ColourSpace::Ycc, kCie = ColourSpace::Cie;

// Worked examples, and the fallbacks when colours are switched off (kind -1: none usable).
TEST(FindNearestColour, WorkedExamplesAndFallbacks) {
    const Palette palette = ColourTable().palette();
    const struct {
        int kind;
        ColourSpace space;
        int r, g, b;
        int colour;
        double distance;  // -1: not checked
    } cases[] = {{kEight, kRgb, 130, 130, 130, 7, 269},
                 {kEight, kYcc, 130, 130, 130, 1, 15625},
                 {kEighteen, kRgb, 130, 130, 130, 17, 6},
                 {kEighteen, kYcc, 130, 130, 130, 17, 4},
                 {kEight, kRgb, 200, 100, 50, 2, -1},
                 {kEight, kYcc, 200, 100, 50, 2, -1},
                 {kEighteen, kRgb, 200, 100, 50, 10, -1},
                 {kEighteen, kYcc, 200, 100, 50, 10, -1},
                 {-1, kRgb, 0, 0, 0, 1, 765},
                 {-1, kCie, 3, 4, 5, 1, -1}};
    for (const auto& c : cases) {
        const auto found = findNearestColour(c.r, c.g, c.b, palette, withPalette(c.kind, c.space));
        EXPECT_EQ(found.colour, c.colour) << c.kind << " " << c.r;
        if (c.distance >= 0) {
            EXPECT_EQ(found.distance, c.distance) << c.kind << " " << c.r;
        }
    }
    ConversionSettings noBlack = withPalette(kEight, kYcc);
    noBlack.usable[0] = false;
    EXPECT_EQ(findNearestColour(0, 0, 0, palette, noBlack).colour, 0);
    EXPECT_EQ(findNearestColour(0, 0, 0, palette, noBlack).distance, 0);
}

TEST(Ciede2000, PublishedTestPairs) {
    struct Pair {
        Lab first, second;
        double expected;
    };
    const Pair pairs[] = {{{50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
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
                          // Hues exactly half a turn apart: the mean hue is their plain mean.
                          {{50.0, 10.0, 0.0}, {50.0, -10.0, 0.0}, 26.0273},
                          {{50.0, 0.0, 10.0}, {50.0, 0.0, -10.0}, 17.4409}};
    for (const Pair& p : pairs) {
        EXPECT_NEAR(ciede2000(p.first, p.second), p.expected, 0.00005) << p.expected;
        EXPECT_NEAR(ciede2000(p.second, p.first), p.expected, 0.00005) << p.expected;
    }
}

// The engine in the vector loop (where the processor has it) and in the plain loop against
// the plain transcription of the rules.
void expectAsTheRules(const PixelBuffer& picture, const ConversionSettings& settings, int what) {
    const Palette palette = ColourTable().palette();
    const ConversionResult expected = test::referenceConversion(picture, palette, settings);
    for (bool vector : {true, false}) {
        setVectorConversionAllowed(vector);
        auto result = convertPicture(picture, palette, settings);
        setVectorConversionAllowed(true);
        ASSERT_TRUE(result.ok()) << result.error();
        ASSERT_EQ(result->pixels, expected.pixels) << "case " << what << " vector " << vector;
        EXPECT_EQ(result->counts, expected.counts) << "case " << what;
        EXPECT_EQ(result->lastColour, expected.lastColour) << "case " << what;
    }
}

// Without diffusion (rate or densities 0) too, where every dot is the nearest colour.
TEST(ConvertPicture, MatchesThePlainRulesOnManyPicturesAndSettings) {
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
        settings.rate = round % 11 == 3 ? 0 : static_cast<int>(rng() % 101);
        for (int& d : settings.density)
            d = round % 11 == 4 ? 0 : static_cast<int>(rng() % 51);
        expectAsTheRules(randomPicture(1 + static_cast<int>(rng() % 23),
                                       1 + static_cast<int>(rng() % 11), round),
                         settings, round);
    }
}

// Rates 0 to 100 and densities 0 to 50, each limit taken and the next step refused.
TEST(ConvertPicture, RefusesEmptyPicturesAndSettingsBeyondTheirLimits) {
    const Palette palette = ColourTable().palette();
    auto empty = convertPicture(PixelBuffer(), palette, withPalette(kEight));
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.error().find("no pixels"), std::string::npos);
    const struct {
        int rate;
        std::array<int, 3> density;
        const char* refusal;  // nullptr: converted
    } cases[] = {{0, {0, 0, 0}, nullptr},          {100, {50, 50, 50}, nullptr},
                 {-1, {10, 10, 10}, "rate"},       {101, {10, 10, 10}, "rate"},
                 {100, {-1, 0, 0}, "red density"}, {100, {51, 0, 0}, "red density"},
                 {0, {0, -1, 0}, "green density"}, {0, {0, 0, 51}, "blue density"}};
    for (const auto& c : cases) {
        ConversionSettings settings = withPalette(kEight);
        settings.rate = c.rate;
        settings.density = c.density;
        auto result = convertPicture(filledBuffer(2, 2, 0), palette, settings);
        ASSERT_EQ(result.ok(), c.refusal == nullptr) << c.rate << " " << c.density[0];
        if (c.refusal != nullptr) {
            EXPECT_NE(result.error().find(c.refusal), std::string::npos) << result.error();
        }
    }
}

struct Rgb {
    int r, g, b;
};

// The standard palette with the user colour moved: onto another colour (exact ties), onto
// a grey, or somewhere random; and a random set of usable colours (all of them in the first
// rounds, but for black in one: seventeen).
struct Trial {
    Palette palette;
    std::array<bool, kColourCount> usable{};
};

std::vector<Trial> trials() {
    std::mt19937 rng(16);
    std::vector<Trial> out;
    for (int round = 0; round < 24; ++round) {
        Trial t{ColourTable().palette(), {}};
        PaletteColour& user = t.palette[kUserColourNumber];
        auto channel = [&] { return static_cast<int>(rng() % 256); };
        if (round % 3 == 0) {
            const PaletteColour& twin = t.palette[rng() % kUserColourNumber];
            user.red = twin.red, user.green = twin.green, user.blue = twin.blue;
        } else if (round % 3 == 1) {
            user.red = user.green = user.blue = channel();
        } else {
            user.red = channel(), user.green = channel(), user.blue = channel();
        }
        user.ycc = rgbToYcc(user.red, user.green, user.blue);
        for (bool& u : t.usable)
            u = round < 4 || rng() % 3 != 0;
        t.usable[kUserColourNumber] = true;
        t.usable[0] = t.usable[0] && round != 1;
        out.push_back(t);
    }
    return out;
}

// Random colours, every palette colour and its neighbours one step away, and greys.
std::vector<Rgb> hardPixels(const Palette& palette, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Rgb> out;
    auto channel = [&] { return static_cast<int>(rng() % 256); };
    for (int i = 0; i < 3000; ++i)
        out.push_back({channel(), channel(), channel()});
    auto step = [](int v, int s) { return std::clamp(v + s, 0, 255); };
    for (const PaletteColour& c : palette)
        for (int d = 0; d < 27; ++d)
            out.push_back(
                {step(c.red, d % 3 - 1), step(c.green, d / 3 % 3 - 1), step(c.blue, d / 9 - 1)});
    for (int v = 0; v < 256; ++v)
        out.push_back({v, v, v});
    return out;
}

// Every fifth trial also holds the straight scan itself, as findNearestColour offers it,
// to every usable colour tried in order with a strict comparison (the first with all
// usable and the user colour on another: exact ties).
TEST(CieSearch, EstimatedAndPrunedSearchesChooseAsTheStraightScan) {
    const std::vector<Trial> all = trials();
    for (size_t k = 0; k < all.size(); ++k) {
        const Trial& t = all[k];
        const CieSearch search(t.palette, t.usable);
        ConversionSettings settings;
        settings.space = ColourSpace::Cie;
        settings.usable = t.usable;
        for (const Rgb& p : hardPixels(t.palette, 3)) {
            SCOPED_TRACE(testing::Message() << p.r << "," << p.g << "," << p.b << " trial " << k);
            const NearestColour expected = search.plain(p.r, p.g, p.b);
            const NearestColour pruned = search.pruned(p.r, p.g, p.b);
            ASSERT_EQ(pruned.colour, expected.colour);
            ASSERT_EQ(pruned.distance, expected.distance);
            const CieChoice estimated = search.estimated(p.r, p.g, p.b);
            ASSERT_EQ(estimated.colour, expected.colour);
            ASSERT_EQ(estimated.positive, expected.distance > 0);
            if (k % 5 != 0)
                continue;
            const Lab lab = srgbToLab(p.r, p.g, p.b);
            int best = -1;
            double bestDistance = 0;
            for (int n = 0; n < kColourCount; ++n) {
                const PaletteColour& c = t.palette[n];
                const double d = ciede2000(lab, srgbToLab(c.red, c.green, c.blue));
                if (t.usable[n] && (best < 0 || d < bestDistance))
                    best = n, bestDistance = d;
            }
            const auto found = findNearestColour(p.r, p.g, p.b, t.palette, settings);
            ASSERT_EQ(found.colour, best);
            ASSERT_EQ(found.distance, bestDistance);
        }
    }
}

// The estimates may steer the search only if they stay inside their margin; they are
// required to stay ten times inside it, on pixels from colours and on made-up colours of
// hues opposite (within 1e-7 to 2 degrees) or mirrored (mean hue near 0) to each palette
// colour, and near a mean hue of 275 degrees.
TEST(CieSearch, EstimatesStayFarInsideTheirMargin) {
    if (!CieSearch::estimatesAvailable())
        GTEST_SKIP() << "no AVX2";
    const Palette palette = ColourTable().palette();
    std::array<bool, kColourCount> all{};
    all.fill(true);
    const CieSearch search(palette, all);
    std::vector<Lab> labs, exactLabs;
    for (const Rgb& p : hardPixels(palette, 9)) {
        labs.push_back(srgbToLabNear(p.r, p.g, p.b));
        exactLabs.push_back(srgbToLab(p.r, p.g, p.b));
        const Lab &quick = labs.back(), &exact = exactLabs.back();  // the quick cube root's error
        ASSERT_LE(std::max({std::fabs(quick.l - exact.l), std::fabs(quick.a - exact.a),
                            std::fabs(quick.b - exact.b)}),
                  1e-12);
    }
    const size_t fromPixels = labs.size();
    constexpr double kDegree = std::numbers::pi / 180;
    for (const PaletteColour& c : palette) {
        const Lab lab = srgbToLab(c.red, c.green, c.blue);
        const double hue = std::atan2(lab.b, lab.a), chroma = labChroma(lab);
        for (double offset : {1e-7, 1e-4, 0.01, 0.5, 2.0}) {
            for (double sign : {-1.0, 1.0}) {
                for (double h : {hue + (180 + sign * offset) * kDegree, -hue + sign * offset,
                                 (275 + sign * offset) * kDegree * 2 - hue}) {
                    for (double scale : {0.999, 1.0, 1.5}) {
                        const Lab made{lab.l + sign * offset, scale * chroma * std::cos(h),
                                       scale * chroma * std::sin(h)};
                        labs.push_back(made);
                        exactLabs.push_back(made);
                    }
                }
            }
        }
    }
    int unreliable = 0, unreliableFromPixels = 0;
    alignas(32) std::array<double, CieSearch::kLanes> e;
    for (size_t k = 0; k < labs.size(); ++k) {
        search.estimate(labs[k], e);
        for (int i = 0; i < search.usableCount(); ++i) {
            const int n = search.laneColour(i);
            const PaletteColour& c = palette[n];
            const double exact = ciede2000(exactLabs[k], srgbToLab(c.red, c.green, c.blue));
            if (e[i] < 0) {
                ++unreliable;
                unreliableFromPixels += k < fromPixels ? 1 : 0;
                continue;
            }
            ASSERT_LE(std::fabs(e[i] - exact), CieSearch::estimateMargin(e[i]) / 10)
                << "colour " << n << " lab " << labs[k].l << "," << labs[k].a << "," << labs[k].b;
        }
    }
    // Only hues within 1e-5 radians of opposite go without an estimate: the made-up
    // colours 1e-7 and 1e-4 degrees from opposite, and almost never a real pixel.
    EXPECT_GE(unreliable, 17 * 2 * 2 * 3);
    EXPECT_LE(unreliableFromPixels, 5);
}

// The pruned search skips a colour whose bound is above the best difference, so a bound
// above the true difference (far pairs, near pairs, greys, opposite hues) would change answers.
TEST(CieSearch, BoundsNeverExceedTheDifference) {
    std::mt19937 rng(11);
    auto channel = [&] { return static_cast<int>(rng() % 256); };
    for (int i = 0; i < 200000; ++i) {
        const int r = channel(), g = channel(), b = channel();
        const int step = i % 4 == 0 ? 255 : 1 + i % 3;  // far apart, or a few steps away
        auto near = [&](int v) {
            return std::clamp(v + static_cast<int>(rng() % (2 * step + 1)) - step, 0, 255);
        };
        const int grey = channel();
        const Lab first = i % 7 == 0 ? srgbToLab(grey, grey, grey) : srgbToLab(r, g, b);
        const Lab second = srgbToLab(near(r), near(g), near(b));
        const double d = ciede2000(first, second);
        ASSERT_LE(ciede2000LightnessBound(first, second), d);
        ASSERT_LE(ciede2000LowerBound(first, labChroma(first), second, labChroma(second)), d)
            << r << "," << g << "," << b;
    }
    const Lab pairs[][2] = {{{50.0, 2.49, -0.001}, {50.0, -2.49, 0.0009}},
                            {{50.0, -0.001, 2.49}, {50.0, 0.0009, -2.49}},
                            {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}},
                            {{40.0, 3.0, -60.0}, {40.0, 2.9, -60.0}},  // mean hue near 275 degrees
                            {{50.0, 60.0, 0.0}, {50.0, 60.0, 1e-9}}};
    for (const auto& p : pairs)
        EXPECT_LE(ciede2000LowerBound(p[0], labChroma(p[0]), p[1], labChroma(p[1])),
                  ciede2000(p[0], p[1]));
}

// The searches the conversion uses (the vector YCC search; the CIE estimates behind a
// table of answers) against the straight scan: with rate 0 the conversion is the plain
// nearest-colour map, here of a grid of colours, every palette colour and its neighbours,
// with exact ties and colour 0 switched off. A picture of 2^23 pixels (the grid repeated)
// makes the CIE conversion keep its answers in the table of all colours.
TEST(ConversionSearch, WithoutDiffusionMapsAsTheStraightScan) {
    const std::vector<Trial> all = trials();
    for (ColourSpace space : {ColourSpace::Ycc, ColourSpace::Cie}) {
        for (size_t k = 0; k < all.size(); k += space == ColourSpace::Cie ? 4 : 1) {
            const Trial& t = all[k];
            std::vector<Rgb> pixels = hardPixels(t.palette, 5);
            for (int r = 0; r < 256; r += 17)
                for (int g = 0; g < 256; g += 15)
                    for (int b = 0; b < 256; b += 5)
                        pixels.push_back({r, g, b});
            const int width = static_cast<int>(pixels.size());
            const bool whole = space == ColourSpace::Cie && k == 0;
            const int height = whole ? (1 << 23) / width + 1 : 1;
            PixelBuffer picture = *PixelBuffer::create(width, height);
            for (size_t i = 0; i < picture.size(); ++i) {
                const Rgb& p = pixels[i % pixels.size()];
                picture.data()[i] = makePixel(p.r, p.g, p.b);
            }
            ConversionSettings settings;
            settings.space = space;
            settings.rate = 0;
            settings.usable = t.usable;
            settings.usable[0] = false;
            auto result = convertPicture(picture, t.palette, settings);
            ASSERT_TRUE(result.ok());
            const Pixel* out = result->pixels.data();
            for (size_t i = 0; i < pixels.size(); ++i) {
                const Rgb& p = pixels[i];
                const int c = findNearestColour(p.r, p.g, p.b, t.palette, settings).colour;
                const PaletteColour& pc = t.palette[c];
                ASSERT_EQ(out[i], makePixel(pc.red, pc.green, pc.blue))
                    << "space " << static_cast<int>(space) << " " << p.r << "," << p.g << ","
                    << p.b;
            }
            for (int row = 1; row < height; ++row)
                ASSERT_TRUE(std::equal(out, out + width, out + size_t(row) * width)) << row;
        }
    }
}

const PixelBuffer& photograph() {
    static const PixelBuffer picture = [] {
        const QString path =
            QDir(QStringLiteral(KIRIMO_TEST_DATA_DIR "/../../samples")).filePath("cat.jpg");
        auto image = loadPictureImage(path);
        PixelBuffer buffer;
        if (image)
            readPixels(*image, buffer);
        return buffer;
    }();
    return picture;
}

// FNV-1a over the pixels, then the counts and the last colour.
uint64_t checksum(const ConversionResult& result) {
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&](uint64_t v) { hash = (hash ^ v) * 1099511628211ull; };
    for (size_t i = 0; i < result.pixels.size(); ++i)
        mix(result.pixels.data()[i]);
    for (int32_t c : result.counts)
        mix(static_cast<uint32_t>(c));
    mix(static_cast<uint64_t>(result.lastColour));
    return hash;
}

struct PinnedCase {
    ColourSpace space;
    int paletteKind;
    std::array<int16_t, kWeightCount> weights;
    int rate;
    std::array<int, 3> density;
    uint64_t expected;
};

ConversionSettings settingsOf(const PinnedCase& c) {
    ConversionSettings settings = withPalette(c.paletteKind, c.space);
    settings.weights = c.weights;
    settings.rate = c.rate;
    settings.density = c.density;
    return settings;
}

constexpr auto kFs = kFloydSteinbergWeights;
constexpr auto kJjn = kJarvisJudiceNinkeWeights;
constexpr std::array<int16_t, kWeightCount> kOdd = {3, -1, 0, 2, 4, 0, 1, 0, 0, 2, 0, 5};
constexpr std::array<int16_t, kWeightCount> kUnnormalised = {7, 0, 0, 0, -7, 0, 0, 0, 0, 0, 0, 0};

const PinnedCase kPinned[] = {{kRgb, 3, kFs, 100, {10, 10, 10}, 1188658218568642387ull},
                              {kYcc, 3, kFs, 100, {10, 10, 10}, 6789863638189891451ull},
                              {kYcc, 1, kJjn, 73, {10, 12, 8}, 8021864230328705280ull},
                              {kYcc, 2, kOdd, 100, {50, 0, 25}, 8035654146320164199ull},
                              {kYcc, 0, kFs, 40, {10, 10, 10}, 7905721880451516780ull},
                              {kYcc, 4, kUnnormalised, 100, {3, 5, 7}, 3810264420509109844ull},
                              {kYcc, 3, kFs, 0, {10, 10, 10}, 9437754179567011229ull},
                              {kCie, 3, kFs, 100, {10, 10, 10}, 7840747335022619288ull},
                              {kCie, 1, kJjn, 73, {10, 12, 8}, 10694618212469139651ull},
                              {kCie, 2, kOdd, 100, {50, 0, 25}, 5941752307391361756ull},
                              {kCie, 4, kFs, 55, {20, 10, 5}, 6971930805913254128ull}};

// Every case pinned on the whole photograph, in the vector loop on one thread and on two
// (a wavefront of bands) and in the plain loop; and the plain transcription of the rules
// agrees on a part of it (the transcription is slow, so the part is small).
TEST(ConversionChecksums, PhotographResultsArePinnedAndPartMatchesTheRules) {
    const PixelBuffer& picture = photograph();
    ASSERT_EQ(picture.width(), 451);
    PixelBuffer part = *PixelBuffer::create(90, 60);
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            part.at(x, y) = picture.at(180 + x, 100 + y);
    const Palette palette = ColourTable().palette();
    const struct {
        bool vector;
        int threads;
    } loops[] = {{true, 1}, {true, 2}, {false, 1}};
    for (const PinnedCase& c : kPinned) {
        const int i = static_cast<int>(&c - kPinned);
        for (const auto& loop : loops) {
            setVectorConversionAllowed(loop.vector);
            auto result = convertPicture(picture, palette, settingsOf(c), loop.threads);
            setVectorConversionAllowed(true);
            ASSERT_TRUE(result.ok()) << result.error();
            EXPECT_EQ(checksum(*result), c.expected)
                << "case " << i << " vector " << loop.vector << " threads " << loop.threads;
        }
        expectAsTheRules(part, settingsOf(c), i);
    }
}

// The conversion on several threads (bands of rows in a wavefront) gives the bytes of the
// plain one-thread loop, also where the picture is narrower than the lag between rows or
// has a single row or column, and with more threads than bands.
constexpr std::array<int16_t, kWeightCount> kWide = {3, 5, 2, 4, 6, 1, 2, 1, 3, 2, 4, 1};

TEST(ThreadedConversion, SameBytesAsThePlainLoopOnEveryShape) {
    const Palette palette = ColourTable().palette();
    const struct {
        int width, height;
    } shapes[] = {
        {1, 1},   {1, 37},   {37, 1}, {2, 29}, {4, 23},  // narrower than the lag
        {5, 9},   {6, 17},   {9, 8},                     // about the lag, whole and partial bands
        {64, 33}, {301, 26},                             // wide enough for the threads to overlap
    };
    const struct {
        ColourSpace space;
        std::array<int16_t, kWeightCount> weights;
        int rate;
    } runs[] = {
        {ColourSpace::Rgb, kFloydSteinbergWeights, 100},
        {ColourSpace::Rgb, kWide, 87},
        {ColourSpace::Ycc, kJarvisJudiceNinkeWeights, 100},
        {ColourSpace::Cie, kFloydSteinbergWeights, 64},
    };
    int seed = 0;
    for (const auto& shape : shapes) {
        const PixelBuffer picture = randomPicture(shape.width, shape.height, ++seed);
        for (const auto& run : runs) {
            ConversionSettings settings = withPalette(kEighteen, run.space);
            settings.weights = run.weights;
            settings.rate = run.rate;
            settings.density = {10, 13, 7};
            setVectorConversionAllowed(false);
            auto plain = convertPicture(picture, palette, settings, 1);
            setVectorConversionAllowed(true);
            ASSERT_TRUE(plain.ok()) << plain.error();
            for (int threads : {1, 2, 3, 8}) {
                auto threaded = convertPicture(picture, palette, settings, threads);
                ASSERT_TRUE(threaded.ok()) << threaded.error();
                const auto where = testing::Message()
                                   << shape.width << " x " << shape.height << ", space "
                                   << static_cast<int>(run.space) << ", " << threads << " threads";
                ASSERT_EQ(threaded->pixels, plain->pixels) << where;
                EXPECT_EQ(threaded->counts, plain->counts) << where;
                EXPECT_EQ(threaded->lastColour, plain->lastColour) << where;
            }
        }
    }
}

// Converting in the picture's own memory gives what converting a copy gives, in every
// space and either loop, and the picture's top bytes change nothing.
TEST(ThreadedConversion, InPlaceMatchesACopyWhateverTheTopBytes) {
    const Palette palette = ColourTable().palette();
    for (const bool vector : {true, false}) {
        for (const ColourSpace space : {ColourSpace::Rgb, ColourSpace::Ycc, ColourSpace::Cie}) {
            SCOPED_TRACE(testing::Message() << "vector " << vector << " space " << int(space));
            const ConversionSettings settings = withPalette(kEight, space);
            PixelBuffer picture = randomPicture(41, 19, 5);
            setVectorConversionAllowed(vector);
            const auto clear = convertPicture(picture, palette, settings, 2);
            for (size_t i = 0; i < picture.size(); i += 3)
                picture.data()[i] |= 0xFF000000u;
            auto copied = convertPicture(picture, palette, settings, 2);
            auto inPlace = convertPicture(std::move(picture), palette, settings, 2);
            setVectorConversionAllowed(true);
            ASSERT_TRUE(clear.ok() && copied.ok() && inPlace.ok());
            EXPECT_EQ(copied->pixels, clear->pixels);
            EXPECT_EQ(inPlace->pixels, clear->pixels);
            EXPECT_EQ(inPlace->counts, clear->counts);
        }
    }
}

}  // namespace
}  // namespace kirimo
