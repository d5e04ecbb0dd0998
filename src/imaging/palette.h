#pragma once
// The colours a conversion may choose from, as the engine sees them: one entry per
// ColourNumber 0 to 17 with its components and its colour-difference values.

#include <array>

#include "imaging/colour_space.h"

namespace kirimo {

constexpr int kColourCount = 18;
constexpr int kUserColourNumber = 17;

struct PaletteColour {
    int red = 0;
    int green = 0;
    int blue = 0;
    Ycc ycc{};
};

using Palette = std::array<PaletteColour, kColourCount>;

}  // namespace kirimo
