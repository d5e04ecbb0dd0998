#pragma once
// Colour-difference components used by the colour table and the YCC nearest-colour search.

namespace kirimo {

// The luma weights of red, green and blue.
inline constexpr double kLumaRed = 0.299, kLumaGreen = 0.587, kLumaBlue = 0.114;

struct Ycc {
    float y;   // luma
    float ry;  // R - Y
    float by;  // B - Y
};

// Y = 0.587 G + 0.299 R + 0.114 B summed in that order in double precision and stored
// as single; R - Y and B - Y are formed from the stored single Y and stored as single.
inline Ycc rgbToYcc(int red, int green, int blue) {
    const double yWide = kLumaGreen * green + kLumaRed * red + kLumaBlue * blue;
    const float y = static_cast<float>(yWide);
    const float ry = static_cast<float>(static_cast<double>(red) - static_cast<double>(y));
    const float by = static_cast<float>(static_cast<double>(blue) - static_cast<double>(y));
    return {y, ry, by};
}

}  // namespace kirimo
