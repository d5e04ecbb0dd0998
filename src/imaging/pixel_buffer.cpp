#include "imaging/pixel_buffer.h"

#include <string>

namespace kirimo {

bool PixelBuffer::sizeAllowed(int64_t width, int64_t height) {
    if (width < 0 || height < 0)
        return false;
    if (width > INT32_MAX || height > INT32_MAX)
        return false;
    // Both sides fit 31 bits, so their product cannot overflow; times 4 it could.
    return width * height <= INT32_MAX / 4;
}

Result<PixelBuffer> PixelBuffer::create(int width, int height, Pixel fill) {
    if (!sizeAllowed(width, height)) {
        return makeError("picture size " + std::to_string(width) + " x " + std::to_string(height) +
                         " is too large (width x height x 4 must fit a signed 32-bit number)");
    }
    return PixelBuffer(width, height, fill);
}

Result<PixelBuffer> PixelBuffer::createUnset(int width, int height) {
    if (!sizeAllowed(width, height))
        return create(width, height);  // the same refusal
    return PixelBuffer(width, height);
}

}  // namespace kirimo
