#pragma once
// Picture files into and out of PixelBuffers, and the bulk copy between a picture
// surface (a Format_RGB32 QImage) and a PixelBuffer.

#include <QImage>
#include <QString>

#include "imaging/pixel_buffer.h"
#include "imaging/result.h"

namespace kirimo {

// Reads any picture the installed Qt reads (BMP and JPEG at least), EXIF orientation
// applied, as a Format_RGB32 image. Refused with a message naming the file: what is not a
// regular file (a folder, a pipe, a device), unreadable and empty pictures, pictures
// larger than PixelBuffer::sizeAllowed (before decoding, giving the size), and BMP, JPEG
// and GIF files whose data ends before the picture does.
Result<QImage> loadPictureImage(const QString& path);

// The same picture as a PixelBuffer, decoded straight into it where the reader allows.
Result<PixelBuffer> loadPictureFile(const QString& path);

// Saves as a 24-bit BMP, whole or not at all: on failure an earlier file stays untouched.
Result<void> savePictureBmp(const QString& path, const PixelBuffer& pixels);
Result<void> savePictureBmp(const QString& path, const QImage& image);

// Copies every row of the surface into buffer, which takes the surface's size; the top
// byte of each pixel is cleared. Returns the rows copied (0 when the surface is not
// Format_RGB32 or too large).
int readPixels(const QImage& surface, PixelBuffer& buffer);

// Copies buffer into the surface at (0, 0), clipped to the surface. Returns the rows
// copied (0 when the surface is not Format_RGB32).
int writePixels(QImage& surface, const PixelBuffer& buffer);

// A new Format_RGB32 image holding the buffer's pixels.
QImage toImage(const PixelBuffer& buffer);

}  // namespace kirimo
