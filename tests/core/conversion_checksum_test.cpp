// Pins the engine's results on the bundled photograph: the fast searches of every colour
// space and both diffusion loops must keep giving exactly these pictures and counts.

#include <gtest/gtest.h>

#include <QDir>

#include "core/colour_table.h"
#include "core/picture_file.h"
#include "imaging/conversion.h"
#include "support/conversion_reference.h"

namespace kirimo {
namespace {

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
    ConversionSettings settings;
    settings.space = c.space;
    settings.weights = c.weights;
    settings.rate = c.rate;
    settings.density = c.density;
    for (int n : paletteColours(c.paletteKind))
        settings.usable[n] = true;
    return settings;
}

constexpr auto kFs = kFloydSteinbergWeights;
constexpr auto kJjn = kJarvisJudiceNinkeWeights;
constexpr std::array<int16_t, kWeightCount> kOdd = {3, -1, 0, 2, 4, 0, 1, 0, 0, 2, 0, 5};
constexpr std::array<int16_t, kWeightCount> kUnnormalised = {7, 0, 0, 0, -7, 0, 0, 0, 0, 0, 0, 0};
constexpr ColourSpace kRgb = ColourSpace::Rgb, kYcc = ColourSpace::Ycc, kCie = ColourSpace::Cie;

const PinnedCase kPinned[] = {
    {kRgb, 3, kFs, 100, {10, 10, 10}, 1188658218568642387ull},
    {kYcc, 3, kFs, 100, {10, 10, 10}, 6789863638189891451ull},
    {kYcc, 1, kJjn, 73, {10, 12, 8}, 8021864230328705280ull},
    {kYcc, 2, kOdd, 100, {50, 0, 25}, 8035654146320164199ull},
    {kYcc, 0, kFs, 40, {10, 10, 10}, 7905721880451516780ull},
    {kYcc, 4, kUnnormalised, 100, {3, 5, 7}, 3810264420509109844ull},
    {kYcc, 3, kFs, 0, {10, 10, 10}, 9437754179567011229ull},
    {kCie, 3, kFs, 100, {10, 10, 10}, 7840747335022619288ull},
    {kCie, 1, kJjn, 73, {10, 12, 8}, 10694618212469139651ull},
    {kCie, 2, kOdd, 100, {50, 0, 25}, 5941752307391361756ull},
    {kCie, 4, kFs, 55, {20, 10, 5}, 6971930805913254128ull},
};

TEST(ConversionChecksums, PhotographResultsArePinned) {
    const PixelBuffer& picture = photograph();
    ASSERT_EQ(picture.width(), 451);
    const Palette palette = ColourTable().palette();
    // The vector loop on one thread and on two (a wavefront of bands), and the plain loop.
    const struct {
        bool vector;
        int threads;
    } loops[] = {{true, 1}, {true, 2}, {false, 1}};
    for (const PinnedCase& c : kPinned) {
        for (const auto& loop : loops) {
            setVectorConversionAllowed(loop.vector);
            auto result = convertPicture(picture, palette, settingsOf(c), loop.threads);
            setVectorConversionAllowed(true);
            ASSERT_TRUE(result.ok()) << result.error();
            EXPECT_EQ(checksum(*result), c.expected)
                << "space " << static_cast<int>(c.space) << " palette " << c.paletteKind << " rate "
                << c.rate << " vector " << loop.vector << " threads " << loop.threads;
        }
    }
}

// The straight transcription of the rules agrees on a part of the photograph, for every
// colour space (the transcription is slow, so the part is small).
TEST(ConversionChecksums, PartOfThePhotographMatchesTheRules) {
    const PixelBuffer& photo = photograph();
    PixelBuffer part = *PixelBuffer::create(90, 60);
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            part.at(x, y) = photo.at(180 + x, 100 + y);
    const Palette palette = ColourTable().palette();
    for (size_t i : {1u, 2u, 3u, 8u, 9u}) {
        const ConversionSettings settings = settingsOf(kPinned[i]);
        const ConversionResult expected = test::referenceConversion(part, palette, settings);
        for (bool vector : {true, false}) {
            setVectorConversionAllowed(vector);
            auto result = convertPicture(part, palette, settings);
            setVectorConversionAllowed(true);
            ASSERT_TRUE(result.ok()) << result.error();
            EXPECT_EQ(result->pixels, expected.pixels) << "case " << i << " vector " << vector;
            EXPECT_EQ(result->counts, expected.counts) << "case " << i;
            EXPECT_EQ(result->lastColour, expected.lastColour) << "case " << i;
        }
    }
}

}  // namespace
}  // namespace kirimo
