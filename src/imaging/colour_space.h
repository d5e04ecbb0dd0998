#pragma once
// Colour-difference components used by the colour table and the YCC nearest-colour search.

namespace kirimo {

struct Ycc {
    float y;   // luma
    float ry;  // R - Y
    float by;  // B - Y
};

// Y = 0.587 G + 0.299 R + 0.114 B summed in that order in double precision and stored
// as single; R - Y and B - Y are formed from the stored single Y and stored as single.
inline Ycc rgbToYcc(int red, int green, int blue) {
    const double yWide = 0.587 * green + 0.299 * red + 0.114 * blue;
    const float y = static_cast<float>(yWide);
    const float ry = static_cast<float>(static_cast<double>(red) - static_cast<double>(y));
    const float by = static_cast<float>(static_cast<double>(blue) - static_cast<double>(y));
    return {y, ry, by};
}

}  // namespace kirimo
