#pragma once
// The conversion engine: every pixel becomes the nearest usable palette colour while the
// difference is spread to pixels not yet visited (error diffusion over twelve cells).

#include <array>
#include <cstdint>

#include "imaging/palette.h"
#include "imaging/pixel_buffer.h"
#include "imaging/result.h"

namespace kirimo {

enum class ColourSpace { Rgb, Ycc, Cie };

constexpr int kWeightCount = 12;

// Declared ranges of the settings, shared by every front end.
constexpr int kRateMin = 0, kRateMax = 100, kRateDefault = 100;
constexpr int kDensityMin = 0, kDensityMax = 50, kDensityDefault = 10;

// Cells 1 to 12 of the two fixed diffusion methods.
constexpr std::array<int16_t, kWeightCount> kFloydSteinbergWeights = {7, 0, 0, 3, 5, 1,
                                                                      0, 0, 0, 0, 0, 0};
constexpr std::array<int16_t, kWeightCount> kJarvisJudiceNinkeWeights = {7, 5, 3, 5, 7, 5,
                                                                         3, 1, 3, 5, 3, 1};

struct ConversionSettings {
    ColourSpace space = ColourSpace::Rgb;
    std::array<int16_t, kWeightCount> weights = kFloydSteinbergWeights;  // cells 1 to 12
    int rate = kRateDefault;                                             // percent, 0 to 100
    std::array<int, 3> density = {kDensityDefault, kDensityDefault, kDensityDefault};  // R, G, B
    std::array<bool, kColourCount> usable{};  // colours the search may choose
};

struct ConversionResult {
    PixelBuffer pixels;                          // every pixel a palette colour
    std::array<int32_t, kColourCount> counts{};  // pixels given each ColourNumber
    int lastColour = 0;                          // ColourNumber of the last pixel (0 if none)
};

// Checks the settings' ranges; an error names the setting.
Result<void> validateSettings(const ConversionSettings& settings);

// Converts a picture. Refuses settings out of range and pictures with no pixels.
// `threads` is the number of threads the diffusion runs on (0: one per core, for pictures
// large enough to repay them); the results are the same for every number.
Result<ConversionResult> convertPicture(const PixelBuffer& source, const Palette& palette,
                                        const ConversionSettings& settings, int threads = 0);

// The same, converting in the picture's own memory instead of a copy.
Result<ConversionResult> convertPicture(PixelBuffer&& source, const Palette& palette,
                                        const ConversionSettings& settings, int threads = 0);

// Lets tests run the plain loop on machines where the vector loop would be chosen.
// Both give identical results.
void setVectorConversionAllowed(bool allowed);

struct NearestColour {
    int colour;
    double distance;
};

// The nearest usable colour to (red, green, blue) in the chosen colour space.
NearestColour findNearestColour(int red, int green, int blue, const Palette& palette,
                                const ConversionSettings& settings);

}  // namespace kirimo
