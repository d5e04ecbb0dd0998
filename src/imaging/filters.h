#pragma once
// Neighbourhood filters that keep the picture's size: the seven weighted 3 x 3 filters,
// the 3 x 3 median, and colour inversion.
//
// Every function leaves its input untouched and returns a new picture, except those named
// InPlace, which give the same result in the picture itself, with memory for a few rows
// rather than a second picture. `threads` is the number of row bands the pass is split
// into: 0 picks one per hardware thread for large pictures; the result is the same for
// every value.

#include <array>
#include <cstdint>

#include "imaging/pixel_buffer.h"

namespace kirimo {

enum class WeightedFilter {
    SharpenWeak,
    SharpenMedium,
    SharpenStrong,
    Blur,
    Average,
    Emboss,
    Outline,
};

inline constexpr std::array<WeightedFilter, 7> kWeightedFilters = {
    WeightedFilter::SharpenWeak, WeightedFilter::SharpenMedium, WeightedFilter::SharpenStrong,
    WeightedFilter::Blur,        WeightedFilter::Average,       WeightedFilter::Emboss,
    WeightedFilter::Outline,
};

// Nine single-precision weights, weights[j][i] weighing the neighbour at
// (x + i - 1, y + j - 1), a whole-number offset added with the centre term, and whether
// the clamped value is inverted (255 - value) afterwards.
struct ConvolveKernel {
    float weights[3][3];
    int32_t offset;
    bool invertAfter;
};

const ConvolveKernel& convolveKernel(WeightedFilter filter);

// For every pixel and each of red, green and blue: starting from 0, each neighbour inside
// the picture adds its byte times its weight, the sum rounded half to even after every
// term; the centre comes last together with the offset; the sum is clamped to 0..255
// (and inverted for outline). Neighbours outside the picture add nothing. Result pixels
// carry 0 in the top byte.
PixelBuffer applyWeightedFilter(const PixelBuffer& in, WeightedFilter filter, int threads = 0);
void applyWeightedFilterInPlace(PixelBuffer& picture, WeightedFilter filter, int threads = 0);

// The order a median sorts by: red + 256 green + 65536 blue, so blue counts most.
constexpr int32_t medianKey(Pixel p) {
    return pixelToColourValue(p);
}

// Every pixel becomes the fifth of its 3 x 3 neighbourhood ordered by medianKey, positions
// outside the picture taking the centre pixel instead (so corner pixels never change).
// Result pixels carry 0 in the top byte.
PixelBuffer applyMedianFilter(const PixelBuffer& in, int threads = 0);
void applyMedianFilterInPlace(PixelBuffer& picture, int threads = 0);

// Each of red, green and blue becomes 255 minus itself; the top byte stays as it was.
PixelBuffer invertColours(const PixelBuffer& in, int threads = 0);

}  // namespace kirimo
