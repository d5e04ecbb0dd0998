#include "core/picture_file.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include "core/text_file.h"

namespace kirimo {

namespace {

std::string describe(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

}  // namespace

Result<QImage> loadPictureImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize declared = reader.size();
    const int64_t limitBytes = int64_t{reader.allocationLimit()} * 1024 * 1024;
    const bool beyondReaderLimit = declared.isValid() && limitBytes > 0 &&
                                   int64_t{declared.width()} * declared.height() * 4 > limitBytes;
    if (declared.isValid() &&
        (beyondReaderLimit || !PixelBuffer::sizeAllowed(declared.width(), declared.height()))) {
        return makeError("cannot open " + describe(path) + ": the picture is too large (" +
                         std::to_string(declared.width()) + " x " +
                         std::to_string(declared.height()) + ")");
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return makeError("cannot open " + describe(path) +
                         " as a picture: " + reader.errorString().toStdString());
    }
    if (image.width() == 0 || image.height() == 0) {
        return makeError("cannot open " + describe(path) + ": the picture has no pixels");
    }
    if (!PixelBuffer::sizeAllowed(image.width(), image.height())) {
        return makeError("cannot open " + describe(path) + ": the picture is too large (" +
                         std::to_string(image.width()) + " x " + std::to_string(image.height()) +
                         ")");
    }
    if (image.format() != QImage::Format_RGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.isNull()) {
            return makeError("cannot open " + describe(path) + ": out of memory");
        }
    }
    return image;
}

Result<PixelBuffer> loadPictureFile(const QString& path) {
    auto image = loadPictureImage(path);
    if (!image)
        return makeError(image.error());
    auto buffer = PixelBuffer::create(image->width(), image->height());
    if (!buffer)
        return makeError(buffer.error());
    readPixels(*image, *buffer);
    return std::move(*buffer);
}

Result<void> savePictureBmp(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    QImageWriter writer(&device, "bmp");
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull() || !writer.write(rgb)) {
        return makeError("cannot write " + describe(path) + ": " +
                         writer.errorString().toStdString());
    }
    return writeFileAtomically(path, bytes);
}

Result<void> savePictureBmp(const QString& path, const PixelBuffer& pixels) {
    if (pixels.empty()) {
        return makeError("cannot write " + describe(path) + ": the picture has no pixels");
    }
    return savePictureBmp(path, toImage(pixels));
}

int readPixels(const QImage& surface, PixelBuffer& buffer) {
    if (surface.format() != QImage::Format_RGB32)
        return 0;
    auto created = PixelBuffer::create(surface.width(), surface.height());
    if (!created)
        return 0;
    buffer = std::move(*created);
    const int w = surface.width();
    for (int y = 0; y < surface.height(); ++y) {
        const auto* source = reinterpret_cast<const Pixel*>(surface.constScanLine(y));
        Pixel* target = buffer.row(y);
        for (int x = 0; x < w; ++x)
            target[x] = source[x] & 0x00FFFFFFu;
    }
    return surface.height();
}

int writePixels(QImage& surface, const PixelBuffer& buffer) {
    if (surface.format() != QImage::Format_RGB32)
        return 0;
    const int w = std::min(surface.width(), buffer.width());
    const int h = std::min(surface.height(), buffer.height());
    // Format_RGB32 keeps 0xFF in the top byte; the buffer keeps 0 there.
    for (int y = 0; y < h; ++y) {
        auto* target = reinterpret_cast<Pixel*>(surface.scanLine(y));
        const Pixel* source = buffer.row(y);
        for (int x = 0; x < w; ++x)
            target[x] = source[x] | 0xFF000000u;
    }
    return h;
}

QImage toImage(const PixelBuffer& buffer) {
    QImage image(buffer.width(), buffer.height(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    writePixels(image, buffer);
    return image;
}

}  // namespace kirimo
