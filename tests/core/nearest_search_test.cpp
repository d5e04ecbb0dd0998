// The fast nearest-colour searches against the straight scans, on colours chosen to be hard:
// exact ties, pixels equal to or one step from a palette colour, greys, opposite hues and
// mean hues around 0 and 275 degrees.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "core/colour_table.h"
#include "imaging/cie_search.h"
#include "imaging/colour_space.h"
#include "imaging/conversion.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

struct Rgb {
    int r, g, b;
};

// The standard palette with the user colour moved: onto another colour (exact ties), onto
// a grey, or somewhere random; and a random set of usable colours.
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
        if (round % 3 == 0) {
            const PaletteColour& twin = t.palette[rng() % kUserColourNumber];
            user.red = twin.red, user.green = twin.green, user.blue = twin.blue;
        } else if (round % 3 == 1) {
            user.red = user.green = user.blue = static_cast<int>(rng() % 256);
        } else {
            user.red = static_cast<int>(rng() % 256), user.green = static_cast<int>(rng() % 256),
            user.blue = static_cast<int>(rng() % 256);
        }
        user.ycc = rgbToYcc(user.red, user.green, user.blue);
        for (bool& u : t.usable)
            u = round < 4 || rng() % 3 != 0;
        t.usable[kUserColourNumber] = true;
        out.push_back(t);
    }
    return out;
}

// Random colours, every palette colour and its neighbours one step away, and greys.
std::vector<Rgb> hardPixels(const Palette& palette, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Rgb> out;
    for (int i = 0; i < 3000; ++i) {
        out.push_back({static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                       static_cast<int>(rng() % 256)});
    }
    for (const PaletteColour& c : palette) {
        for (int d = 0; d < 27; ++d) {
            auto step = [](int v, int s) { return std::clamp(v + s, 0, 255); };
            out.push_back(
                {step(c.red, d % 3 - 1), step(c.green, d / 3 % 3 - 1), step(c.blue, d / 9 - 1)});
        }
    }
    for (int v = 0; v < 256; ++v)
        out.push_back({v, v, v});
    return out;
}

TEST(CieSearch, EstimatedAndPrunedSearchesChooseAsTheStraightScan) {
    for (const Trial& t : trials()) {
        const CieSearch search(t.palette, t.usable);
        for (const Rgb& p : hardPixels(t.palette, 3)) {
            const NearestColour expected = search.plain(p.r, p.g, p.b);
            const NearestColour pruned = search.pruned(p.r, p.g, p.b);
            ASSERT_EQ(pruned.colour, expected.colour) << p.r << "," << p.g << "," << p.b;
            ASSERT_EQ(pruned.distance, expected.distance);
            const CieChoice estimated = search.estimated(p.r, p.g, p.b);
            ASSERT_EQ(estimated.colour, expected.colour) << p.r << "," << p.g << "," << p.b;
            ASSERT_EQ(estimated.positive, expected.distance > 0);
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

TEST(CieSearch, QuickLabIsCloseToTheLibraryCubeRoot) {
    std::mt19937 rng(2);
    for (int i = 0; i < 200000; ++i) {
        const int r = static_cast<int>(rng() % 256), g = static_cast<int>(rng() % 256),
                  b = static_cast<int>(rng() % 256);
        const Lab exact = srgbToLab(r, g, b), near = srgbToLabNear(r, g, b);
        ASSERT_NEAR(near.l, exact.l, 1e-12);
        ASSERT_NEAR(near.a, exact.a, 1e-12);
        ASSERT_NEAR(near.b, exact.b, 1e-12);
    }
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
    const Lab pairs[][2] = {
        {{50.0, 2.49, -0.001}, {50.0, -2.49, 0.0009}},
        {{50.0, -0.001, 2.49}, {50.0, 0.0009, -2.49}},
        {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}},
        {{40.0, 3.0, -60.0}, {40.0, 2.9, -60.0}},  // mean hue near 275 degrees
        {{50.0, 60.0, 0.0}, {50.0, 60.0, 1e-9}},
    };
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

}  // namespace
}  // namespace kirimo
