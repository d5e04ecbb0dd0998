#pragma once
// A picture in memory: rows one after another, top row first, each pixel a
// 32-bit 0x00RRGGBB value (bytes blue, green, red, 0 in memory).

#include <cstdint>
#include <vector>

#include "imaging/large_block_allocator.h"
#include "imaging/result.h"

namespace kirimo {

using Pixel = uint32_t;

constexpr int pixelRed(Pixel p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
constexpr int pixelGreen(Pixel p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
constexpr int pixelBlue(Pixel p) {
    return static_cast<int>(p & 0xFF);
}
constexpr Pixel makePixel(int red, int green, int blue) {
    return (static_cast<Pixel>(red) << 16) | (static_cast<Pixel>(green) << 8) |
           static_cast<Pixel>(blue);
}

// A pixel (0x00RRGGBB) as a packed colour value (red + 256 green + 65536 blue) and back:
// red and blue swap places, and the top byte becomes 0. Written as a byte swap, which the
// compiler turns into one shuffle for a whole vector of pixels.
constexpr int32_t pixelToColourValue(Pixel p) {
    return static_cast<int32_t>(__builtin_bswap32(p) >> 8);
}
constexpr Pixel colourValueToPixel(int32_t c) {
    return __builtin_bswap32(static_cast<uint32_t>(c)) >> 8;
}

class PixelBuffer {
  public:
    PixelBuffer() = default;

    // A width x height buffer filled with `fill`, or an error when a side is negative or
    // width x height x 4 does not fit a signed 32-bit number. Nothing is allocated then.
    static Result<PixelBuffer> create(int width, int height, Pixel fill = 0);

    // The same with the pixels left unset, for a caller that writes every one of them
    // before anything reads it: fresh memory is then first touched by that caller's own
    // threads, instead of being cleared once here and written again.
    static Result<PixelBuffer> createUnset(int width, int height);

    // True when a width x height picture may be held: both sides >= 0 and
    // width x height x 4 fits a signed 32-bit number.
    static bool sizeAllowed(int64_t width, int64_t height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    Pixel& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    Pixel at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    Pixel* row(int y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
    const Pixel* row(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }

    Pixel* data() { return pixels_.data(); }
    const Pixel* data() const { return pixels_.data(); }
    size_t size() const { return pixels_.size(); }

    bool operator==(const PixelBuffer& other) const = default;

  private:
    PixelBuffer(int width, int height, Pixel fill)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}
    PixelBuffer(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel, LargeBlockAllocator<Pixel>> pixels_;
};

}  // namespace kirimo
