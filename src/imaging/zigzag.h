#pragma once
// Zigzag interleaving: two pictures A and B, each cut to a common W x H at its own crop
// offset, combined into one 2W x H picture of alternating vertical strips: a strip of A,
// the strip of B from the same columns, the next strip of A, and so on.

#include <cstdint>
#include <vector>

#include "imaging/pixel_buffer.h"
#include "imaging/result.h"

namespace kirimo {

// Where the common W x H is cut out of a picture, in picture pixels.
struct CropOffset {
    int x = 0;
    int y = 0;
};

// The offset along one side of a crop rectangle placed at `position` on a thumbnail of
// `thumbnailSize` showing a picture of `pictureSize` pixels:
// round(position / thumbnailSize x pictureSize), halves to even; a negative result is 0.
// Nothing when the thumbnail size is not positive or the result does not fit.
Result<int> cropOffsetAlong(double position, double thumbnailSize, int pictureSize);

// The crop offset a dragged rectangle reads out while it moves: the same ratio floored,
// floor(position / thumbnailSize x pictureSize), negative values kept. It can show one
// less than the offset cropOffsetAlong gives for the same position.
// Nothing when the thumbnail size is not positive or the result does not fit.
Result<int> cropReadoutAlong(double position, double thumbnailSize, int pictureSize);

// One side of the crop rectangle on a thumbnail of `thumbnailSize` pixels showing a picture
// of `pictureSize` pixels of which `commonSize` are cut out:
// round(thumbnailSize x commonSize / pictureSize), halves to even.
// Nothing when the picture size is not positive.
Result<int> cropRectangleSide(int thumbnailSize, int commonSize, int pictureSize);

// The strip widths offered for a common width W: every n from 1 to W that divides W,
// ascending. None when W < 1.
std::vector<int> zigzagStripWidths(int commonWidth);

// The number of strips of a 2W-wide result cut into strips of width s:
// floor(2W / s + 0.5). Refused when s < 1 or W < 1.
Result<int> zigzagStripCount(int commonWidth, int stripWidth);

struct ZigzagRequest {
    int commonWidth = 0;   // W
    int commonHeight = 0;  // H
    int stripWidth = 0;    // s
    CropOffset offsetA;    // negative parts count as 0
    CropOffset offsetB;
};

// The 2W x H interleaving. For strip start X0 = 0, s, 2s, ... below W, with r = the
// smaller of s and W - X0 columns in the strip: A's columns X0 .. X0 + r - 1 (after its
// offset) land at 2 X0 .. 2 X0 + r - 1 and B's same columns right after them, so a strip
// width that does not divide W ends in a narrower last pair. A result pixel whose source
// lies outside its picture stays black (0).
// Refused, with a message naming the value, when s < 1, W < 1 or H < 1, or when the
// result would be too large to hold.
Result<PixelBuffer> interleaveStrips(const PixelBuffer& a, const PixelBuffer& b,
                                     const ZigzagRequest& request);

}  // namespace kirimo
