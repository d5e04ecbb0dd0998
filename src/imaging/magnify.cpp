#include "imaging/magnify.h"

#include <algorithm>
#include <string>

namespace kirimo {

namespace {

bool zoomAllowed(int zoom) {
    return zoom >= kMagnificationMin && zoom <= kMagnificationMax;
}

std::string zoomError(int zoom) {
    return "the magnification must be 2, 3 or 4 (got " + std::to_string(zoom) + ")";
}

}  // namespace

Result<PixelBuffer> magnify(const PixelBuffer& picture, int zoom) {
    if (!zoomAllowed(zoom))
        return makeError(zoomError(zoom));
    if (!PixelBuffer::sizeAllowed(int64_t{picture.width()} * zoom,
                                  int64_t{picture.height()} * zoom)) {
        return makeError("a " + std::to_string(picture.width()) + " x " +
                         std::to_string(picture.height()) + " picture is too large to magnify " +
                         std::to_string(zoom) + " times");
    }
    auto result = PixelBuffer::create(picture.width() * zoom, picture.height() * zoom);
    if (!result)
        return makeError(result.error());
    for (int y = 0; y < picture.height(); ++y) {
        // Widen the row once, then copy it into the block's other rows.
        Pixel* first = result->row(y * zoom);
        const Pixel* in = picture.row(y);
        for (int x = 0; x < picture.width(); ++x)
            std::fill_n(first + x * zoom, zoom, in[x]);
        for (int r = 1; r < zoom; ++r)
            std::copy_n(first, result->width(), result->row(y * zoom + r));
    }
    return std::move(*result);
}

Result<PixelBuffer> takeBlockCorners(const PixelBuffer& magnified, int zoom) {
    if (!zoomAllowed(zoom))
        return makeError(zoomError(zoom));
    if (magnified.width() % zoom != 0 || magnified.height() % zoom != 0) {
        return makeError("a " + std::to_string(magnified.width()) + " x " +
                         std::to_string(magnified.height()) + " picture is not made of " +
                         std::to_string(zoom) + " x " + std::to_string(zoom) + " blocks");
    }
    auto result = PixelBuffer::create(magnified.width() / zoom, magnified.height() / zoom);
    if (!result)
        return makeError(result.error());
    for (int y = 0; y < result->height(); ++y) {
        const Pixel* in = magnified.row(y * zoom);
        Pixel* out = result->row(y);
        for (int x = 0; x < result->width(); ++x)
            out[x] = in[x * zoom];
    }
    return std::move(*result);
}

void paintBlock(PixelBuffer& magnified, int zoom, int x, int y, Pixel colour) {
    if (!zoomAllowed(zoom) || x < 0 || y < 0 || x >= magnified.width() || y >= magnified.height()) {
        return;
    }
    const int left = x / zoom * zoom;
    const int top = y / zoom * zoom;
    const int right = std::min(left + zoom, magnified.width());
    const int bottom = std::min(top + zoom, magnified.height());
    for (int row = top; row < bottom; ++row) {
        std::fill(magnified.row(row) + left, magnified.row(row) + right, colour);
    }
}

}  // namespace kirimo
