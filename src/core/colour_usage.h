#pragma once
// How a conversion's usage string shows on the conversion window: which colours stay
// ticked and the mark beside each colour, by its share of the picture.

#include <QString>
#include <array>
#include <optional>

#include "imaging/palette.h"

namespace kirimo {

enum class UsageMark {
    Hidden,  // not used, or more than 10 % of the picture
    Red,     // up to 1 %
    Blue,    // up to 5 %
    Black,   // up to 10 %
};

struct ColourUsageView {
    std::array<bool, kColourCount> ticked{};
    std::array<UsageMark, kColourCount> marks{};
};

// Fields 1 to 18 of the usage string are the shares of colours 0 to 17. A share of 0 (or
// a field that is not a number, or a negative one) unticks the colour and hides its mark.
// The limits are the single-precision values of 0.01, 0.05 and 0.1 compared with the
// double-precision share, so a share written as 0.01 lies above the first limit. Nothing
// for a text of fewer than 19 fields.
std::optional<ColourUsageView> colourUsageView(const QString& usage);

}  // namespace kirimo
