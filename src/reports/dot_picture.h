#pragma once
// A dot picture read back from a file: every dot must be a colour the table can give, so
// that it can be reported and charted as it stands, without converting it again.

#include <array>
#include <cstdint>

#include "core/colour_table.h"
#include "imaging/pixel_buffer.h"

namespace kirimo {

struct DotPictureColours {
    std::array<int32_t, kColourCount> counts{};  // dots of each ColourNumber
    int lastColour = 0;                          // ColourNumber of the last dot (0 if none)
    int64_t foreign = 0;  // dots of no colour the table can give; the counts leave them out
};

// Counts the dots of each colour. A dot counts as the lowest ColourNumber of its exact
// colour among those the table can give (a colour set's unbound colours cannot), which is
// the number getColorNumber gives it.
DotPictureColours countDotPictureColours(const PixelBuffer& pixels, const ColourTable& table);

}  // namespace kirimo
