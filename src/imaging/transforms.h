#pragma once
// Operations that move pixels without mixing colours (flip, mirror, quarter turns), and
// the two resampling methods with the resize that picks between them.
//
// Every function leaves its input untouched and returns a new picture. `threads` is the
// number of row bands the pass is split into: 0 picks one per hardware thread for
// large pictures; the result is the same for every value.

#include "imaging/pixel_buffer.h"
#include "imaging/result.h"

namespace kirimo {

// out(x, y) = in(x, H - 1 - y): top to bottom.
PixelBuffer flipVertical(const PixelBuffer& in, int threads = 0);

// The same flip in the picture's own memory.
void flipVerticalInPlace(PixelBuffer& picture, int threads = 0);

// out(x, y) = in(W - 1 - x, y): left to right.
PixelBuffer mirrorHorizontal(const PixelBuffer& in, int threads = 0);

// A quarter turn clockwise; the result is H x W: out(x, y) = in(y, H - 1 - x).
PixelBuffer rotateClockwise(const PixelBuffer& in, int threads = 0);

// A quarter turn counter-clockwise; the result is H x W: out(x, y) = in(W - 1 - y, x).
PixelBuffer rotateCounterClockwise(const PixelBuffer& in, int threads = 0);

// Nearest-pixel reduction to newWidth x newHeight:
// out(x, y) = in(round(W x / newWidth), round(H y / newHeight)), whole pixels.
// Refused unless 1 <= newWidth <= W and 1 <= newHeight <= H.
Result<PixelBuffer> reducePicture(const PixelBuffer& in, int newWidth, int newHeight,
                                  int threads = 0);

// Blockwise linear enlargement to newWidth x newHeight (either side may also shrink):
// every input pixel paints a block interpolated per channel towards its right, lower and
// lower-right neighbours, later blocks overwriting shared cells. Result pixels carry 0 in
// the top byte. Refused for an empty input, a side below 1 or a picture too large to hold.
Result<PixelBuffer> enlargePicture(const PixelBuffer& in, int newWidth, int newHeight,
                                   int threads = 0);

// The smallest side a resize accepts.
constexpr int kMinimumResizeSide = 20;

// Resize as the source window applies it: refused when either side is below
// kMinimumResizeSide; the enlarging method when either side grows or stays equal,
// otherwise the reducing method.
Result<PixelBuffer> resizePicture(const PixelBuffer& in, int newWidth, int newHeight,
                                  int threads = 0);

}  // namespace kirimo
