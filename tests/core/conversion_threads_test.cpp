// The conversion on several threads (bands of rows in a wavefront) gives the bytes of the
// plain one-thread loop, also where the picture is narrower than the lag between rows or
// has a single row or column, and with more threads than bands.

#include <gtest/gtest.h>

#include "core/colour_table.h"
#include "imaging/conversion.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

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
        const PixelBuffer picture = test::randomPicture(shape.width, shape.height, ++seed);
        for (const auto& run : runs) {
            ConversionSettings settings;
            settings.space = run.space;
            settings.weights = run.weights;
            settings.rate = run.rate;
            settings.density = {10, 13, 7};
            for (int n : paletteColours(3))
                settings.usable[n] = true;
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

// Converting in the picture's own memory gives what converting a copy gives, and takes
// the picture's top bytes off as the copy does.
TEST(ThreadedConversion, InPlaceMatchesACopy) {
    const Palette palette = ColourTable().palette();
    ConversionSettings settings;
    for (int n : paletteColours(1))
        settings.usable[n] = true;
    PixelBuffer picture = test::randomPicture(41, 19, 5);
    for (size_t i = 0; i < picture.size(); i += 3)
        picture.data()[i] |= 0xFF000000u;
    auto copied = convertPicture(picture, palette, settings, 2);
    auto inPlace = convertPicture(std::move(picture), palette, settings, 2);
    ASSERT_TRUE(copied.ok() && inPlace.ok());
    EXPECT_EQ(inPlace->pixels, copied->pixels);
    EXPECT_EQ(inPlace->counts, copied->counts);
    EXPECT_FALSE(convertPicture(PixelBuffer(), palette, settings).ok());
}

}  // namespace
}  // namespace kirimo
