#pragma once
// The dominant colour of a picture, by which picture files are sorted into colours.
//
// Pixels are visited column by column (x from the left, within a column y from the top,
// the last pixel of a column followed by the first of the next). Each takes the nearest of
// colours 0 to 16 (the user colour is never chosen) by |dR| + |dG| + |dB|, the lower
// ColourNumber on equal distances, and adds 2 to that colour's count when the previous
// pixel took the same colour and it is one of 2 to 15, else 1. The dominant colour has the
// highest count, the lower ColourNumber on equal counts.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/palette.h"
#include "imaging/pixel_buffer.h"

namespace kirimo {

// The colours a picture may be sorted into: all but the user colour.
inline constexpr int kSortColourCount = kUserColourNumber;

using DominantCounts = std::array<int64_t, kSortColourCount>;

// Sorts pictures by the colours of one palette. Keeps a cache of nearest colours between
// pictures, so one finder should sort a whole folder.
class DominantColourFinder {
  public:
    explicit DominantColourFinder(const Palette& palette);

    // The count of every colour over the picture.
    DominantCounts counts(const PixelBuffer& picture);

    // The dominant colour of the picture (colour 0 for a picture without pixels).
    int dominantColour(const PixelBuffer& picture);

    // The nearest of colours 0 to 16 to the pixel's red, green and blue.
    int nearest(Pixel pixel);

  private:
    int search(Pixel pixel) const;
    void nearestRow(const Pixel* row, int width, uint8_t* out);

    std::array<int, kSortColourCount> red_{};
    std::array<int, kSortColourCount> green_{};
    std::array<int, kSortColourCount> blue_{};
    // Direct-mapped cache of earlier searches: key (the pixel, or a value no pixel has)
    // and the colour found.
    std::vector<uint32_t> cacheKeys_;
    std::vector<uint8_t> cacheColours_;
    std::vector<uint8_t> lastRow_;
    std::vector<uint8_t> previousRow_;
    std::vector<uint8_t> currentRow_;
};

// The colour with the highest count, the lower ColourNumber on equal counts.
int dominantOf(const DominantCounts& counts);

// One-off shorthand for DominantColourFinder(palette).dominantColour(picture).
int dominantColour(const PixelBuffer& picture, const Palette& palette);

}  // namespace kirimo
