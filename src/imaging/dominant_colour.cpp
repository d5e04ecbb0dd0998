#include "imaging/dominant_colour.h"

#include <algorithm>
#include <cstdlib>

namespace kirimo {

namespace {

constexpr int kCacheBits = 16;
constexpr uint32_t kNoPixel = 0xFFFFFFFFu;  // pixels are masked to 24 bits
constexpr int kFirstDoubled = 2;
constexpr int kLastDoubled = 15;

uint32_t cacheIndex(uint32_t pixel) {
    return (pixel * 2654435761u) >> (32 - kCacheBits);
}

bool doubles(int colour) {
    return colour >= kFirstDoubled && colour <= kLastDoubled;
}

}  // namespace

DominantColourFinder::DominantColourFinder(const Palette& palette)
    : cacheKeys_(size_t{1} << kCacheBits, kNoPixel), cacheColours_(size_t{1} << kCacheBits, 0) {
    for (int k = 0; k < kSortColourCount; ++k) {
        red_[static_cast<size_t>(k)] = palette[static_cast<size_t>(k)].red;
        green_[static_cast<size_t>(k)] = palette[static_cast<size_t>(k)].green;
        blue_[static_cast<size_t>(k)] = palette[static_cast<size_t>(k)].blue;
    }
}

int DominantColourFinder::search(Pixel pixel) const {
    const int r = pixelRed(pixel);
    const int g = pixelGreen(pixel);
    const int b = pixelBlue(pixel);
    int best = 765;
    int colour = 0;
    for (int k = 0; k < kSortColourCount; ++k) {
        const int d = std::abs(red_[static_cast<size_t>(k)] - r) +
                      std::abs(green_[static_cast<size_t>(k)] - g) +
                      std::abs(blue_[static_cast<size_t>(k)] - b);
        if (d < best) {
            best = d;
            colour = k;
            if (d == 0)
                break;
        }
    }
    return colour;
}

int DominantColourFinder::nearest(Pixel pixel) {
    pixel &= 0x00FFFFFFu;
    const uint32_t slot = cacheIndex(pixel);
    if (cacheKeys_[slot] == pixel)
        return cacheColours_[slot];
    const int colour = search(pixel);
    cacheKeys_[slot] = pixel;
    cacheColours_[slot] = static_cast<uint8_t>(colour);
    return colour;
}

void DominantColourFinder::nearestRow(const Pixel* row, int width, uint8_t* out) {
    for (int x = 0; x < width; ++x)
        out[x] = static_cast<uint8_t>(nearest(row[x]));
}

DominantCounts DominantColourFinder::counts(const PixelBuffer& picture) {
    DominantCounts counts{};
    const int width = picture.width();
    const int height = picture.height();
    if (width <= 0 || height <= 0)
        return counts;
    // The pixel before (x, y) in column order is (x, y - 1), or for y = 0 the bottom
    // pixel of column x - 1. Rows are walked top to bottom, so only the row above and the
    // bottom row need to be kept.
    const auto w = static_cast<size_t>(width);
    lastRow_.resize(w);
    previousRow_.resize(w);
    currentRow_.resize(w);
    nearestRow(picture.row(height - 1), width, lastRow_.data());
    for (int y = 0; y < height; ++y) {
        uint8_t* current = currentRow_.data();
        if (y == height - 1)
            current = lastRow_.data();
        else
            nearestRow(picture.row(y), width, current);
        for (int x = 0; x < width; ++x) {
            const int colour = current[x];
            int previous = -1;
            if (y > 0)
                previous = previousRow_[static_cast<size_t>(x)];
            else if (x > 0)
                previous = lastRow_[static_cast<size_t>(x) - 1];
            counts[static_cast<size_t>(colour)] += (colour == previous && doubles(colour)) ? 2 : 1;
        }
        std::copy(current, current + width, previousRow_.data());
    }
    return counts;
}

int DominantColourFinder::dominantColour(const PixelBuffer& picture) {
    return dominantOf(counts(picture));
}

int dominantOf(const DominantCounts& counts) {
    int best = 0;
    for (int k = 1; k < kSortColourCount; ++k) {
        if (counts[static_cast<size_t>(k)] > counts[static_cast<size_t>(best)])
            best = k;
    }
    return best;
}

int dominantColour(const PixelBuffer& picture, const Palette& palette) {
    return DominantColourFinder(palette).dominantColour(picture);
}

}  // namespace kirimo
