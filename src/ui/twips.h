#pragma once
// Window sizes are reckoned in twips (1/1440 inch); on screen 15 twips make one logical
// pixel in both directions.

#include "imaging/numeric.h"

namespace kirimo::ui {

inline constexpr int kTwipsPerPixel = 15;

inline int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Rounded to the nearest pixel, halves to even.
inline int twipsToPixels(double twips) {
    return static_cast<int>(roundHalfEven(twips / kTwipsPerPixel));
}

}  // namespace kirimo::ui
