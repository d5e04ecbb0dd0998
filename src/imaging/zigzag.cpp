#include "imaging/zigzag.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "imaging/numeric.h"

namespace kirimo {

namespace {

Result<void> checkCommonSize(int commonWidth, int commonHeight) {
    if (commonWidth < 1 || commonHeight < 1) {
        return makeError("the common size " + std::to_string(commonWidth) + " x " +
                         std::to_string(commonHeight) +
                         " has no pixels: both pictures must have at least one pixel");
    }
    return {};
}

Result<void> checkStripWidth(int stripWidth) {
    if (stripWidth < 1) {
        return makeError("the strip width " + std::to_string(stripWidth) +
                         " is not a positive whole number");
    }
    return {};
}

// Copies `count` pixels of source row `sourceY` starting at column `sourceX` to `target`;
// the part that falls outside the picture is left as it is (black).
void copyRun(const PixelBuffer& source, int64_t sourceX, int64_t sourceY, int count,
             Pixel* target) {
    if (sourceY < 0 || sourceY >= source.height())
        return;
    const int64_t first = std::max<int64_t>(sourceX, 0);
    const int64_t end = std::min<int64_t>(sourceX + count, source.width());
    if (first >= end)
        return;
    std::copy(source.row(static_cast<int>(sourceY)) + first,
              source.row(static_cast<int>(sourceY)) + end, target + (first - sourceX));
}

}  // namespace

Result<int> cropOffsetAlong(double position, double thumbnailSize, int pictureSize) {
    if (!(thumbnailSize > 0.0))
        return makeError("the thumbnail size must be positive");
    const auto offset = roundToInt32(position / thumbnailSize * pictureSize);
    if (!offset)
        return makeError("the crop offset does not fit a whole number");
    return std::max(*offset, 0);
}

Result<int> cropReadoutAlong(double position, double thumbnailSize, int pictureSize) {
    if (!(thumbnailSize > 0.0))
        return makeError("the thumbnail size must be positive");
    const double value = std::floor(position / thumbnailSize * pictureSize);
    if (!std::isfinite(value) || value < INT32_MIN || value > INT32_MAX)
        return makeError("the crop offset does not fit a whole number");
    return static_cast<int>(value);
}

Result<int> cropRectangleSide(int thumbnailSize, int commonSize, int pictureSize) {
    if (pictureSize < 1)
        return makeError("the picture size " + std::to_string(pictureSize) + " has no pixels");
    const auto side = roundToInt32(static_cast<double>(thumbnailSize) * commonSize / pictureSize);
    if (!side)
        return makeError("the crop rectangle does not fit a whole number");
    return *side;
}

std::vector<int> zigzagStripWidths(int commonWidth) {
    std::vector<int> small;
    std::vector<int> large;
    for (int n = 1; n <= commonWidth / n; ++n) {
        if (commonWidth % n != 0)
            continue;
        small.push_back(n);
        if (n != commonWidth / n)
            large.push_back(commonWidth / n);
    }
    small.insert(small.end(), large.rbegin(), large.rend());
    return small;
}

Result<int> zigzagStripCount(int commonWidth, int stripWidth) {
    if (auto checked = checkStripWidth(stripWidth); !checked)
        return makeError(checked.error());
    if (commonWidth < 1)
        return makeError("the common width " + std::to_string(commonWidth) + " has no pixels");
    return static_cast<int>(std::floor(2.0 * static_cast<double>(commonWidth) / stripWidth + 0.5));
}

Result<PixelBuffer> interleaveStrips(const PixelBuffer& a, const PixelBuffer& b,
                                     const ZigzagRequest& request) {
    const int w = request.commonWidth;
    const int h = request.commonHeight;
    const int s = request.stripWidth;
    if (auto checked = checkStripWidth(s); !checked)
        return makeError(checked.error());
    if (auto checked = checkCommonSize(w, h); !checked)
        return makeError(checked.error());
    auto created =
        PixelBuffer::create(static_cast<int>(std::min<int64_t>(int64_t{w} * 2, INT32_MAX)), h);
    if (!created)
        return created;
    PixelBuffer out = std::move(created).value();

    const int64_t ax = std::max(request.offsetA.x, 0);
    const int64_t ay = std::max(request.offsetA.y, 0);
    const int64_t bx = std::max(request.offsetB.x, 0);
    const int64_t by = std::max(request.offsetB.y, 0);
    for (int y = 0; y < h; ++y) {
        Pixel* target = out.row(y);
        for (int64_t x0 = 0; x0 < w; x0 += s) {
            const int r = static_cast<int>(std::min<int64_t>(s, w - x0));
            copyRun(a, ax + x0, ay + y, r, target + 2 * x0);
            copyRun(b, bx + x0, by + y, r, target + 2 * x0 + r);
        }
    }
    return out;
}

}  // namespace kirimo
