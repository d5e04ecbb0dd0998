#pragma once
// The dot editor's magnified copy: every dot becomes a solid z x z block, blocks are
// painted whole, and the copy back takes each block's top-left pixel.

#include "imaging/pixel_buffer.h"
#include "imaging/result.h"

namespace kirimo {

constexpr int kMagnificationMin = 2;
constexpr int kMagnificationMax = 4;

// The picture with every pixel as a zoom x zoom block. Refuses a zoom outside 2..4 and a
// result too large to hold.
Result<PixelBuffer> magnify(const PixelBuffer& picture, int zoom);

// The picture made of each zoom x zoom block's top-left pixel; the magnified picture must
// be exactly zoom times the result's size.
Result<PixelBuffer> takeBlockCorners(const PixelBuffer& magnified, int zoom);

// Paints the whole block containing pixel (x, y) of a magnified picture; positions
// outside the picture paint nothing.
void paintBlock(PixelBuffer& magnified, int zoom, int x, int y, Pixel colour);

}  // namespace kirimo
