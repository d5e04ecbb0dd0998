#include "core/picture_file.h"

#include <QImageReader>
#include <algorithm>

#include "core/text_file.h"

namespace kirimo {

namespace {

std::string describe(const QString& path) {
    return "\"" + path.toStdString() + "\"";
}

// Refuses a picture whose declared size is too large before anything is decoded.
Result<void> checkDeclaredSize(const QImageReader& reader, const QString& path) {
    const QSize declared = reader.size();
    const int64_t limitBytes = int64_t{QImageReader::allocationLimit()} * 1024 * 1024;
    const bool beyondReaderLimit = declared.isValid() && limitBytes > 0 &&
                                   int64_t{declared.width()} * declared.height() * 4 > limitBytes;
    if (declared.isValid() &&
        (beyondReaderLimit || !PixelBuffer::sizeAllowed(declared.width(), declared.height()))) {
        return makeError("cannot open " + describe(path) + ": the picture is too large (" +
                         std::to_string(declared.width()) + " x " +
                         std::to_string(declared.height()) + ")");
    }
    return {};
}

// The decoded picture as Format_RGB32, or why it cannot be used.
Result<QImage> checkDecoded(QImage image, const QImageReader& reader, const QString& path) {
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

}  // namespace

Result<QImage> loadPictureImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (auto size = checkDeclaredSize(reader, path); !size)
        return makeError(size.error());
    return checkDecoded(reader.read(), reader, path);
}

Result<PixelBuffer> loadPictureFile(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (auto size = checkDeclaredSize(reader, path); !size)
        return makeError(size.error());

    // Readers that produce RGB32 pixels of the declared size (BMP, colour JPEG) decode
    // straight into the buffer's memory, saving a copy of the whole picture.
    const QSize declared = reader.size();
    if (declared.isValid() && !declared.isEmpty()) {
        auto buffer = PixelBuffer::create(declared.width(), declared.height());
        if (!buffer)
            return makeError(buffer.error());
        QImage view(reinterpret_cast<uchar*>(buffer->data()), declared.width(), declared.height(),
                    declared.width() * 4, QImage::Format_RGB32);
        const bool decoded = reader.read(&view);
        if (decoded && view.constBits() == reinterpret_cast<const uchar*>(buffer->data()) &&
            view.size() == declared && view.format() == QImage::Format_RGB32) {
            Pixel* p = buffer->data();
            for (size_t i = 0, n = buffer->size(); i < n; ++i)
                p[i] &= 0x00FFFFFFu;
            return std::move(*buffer);
        }
        // Another format, an applied rotation or a failure: the reader's own image.
        auto image = checkDecoded(decoded ? view.copy() : QImage(), reader, path);
        if (!image)
            return makeError(image.error());
        PixelBuffer copied;
        readPixels(*image, copied);
        return copied;
    }
    auto image = checkDecoded(reader.read(), reader, path);
    if (!image)
        return makeError(image.error());
    PixelBuffer copied;
    if (readPixels(*image, copied) != image->height()) {
        return makeError("cannot open " + describe(path) + ": out of memory");
    }
    return copied;
}

Result<void> savePictureBmp(const QString& path, const QImage& image) {
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    PixelBuffer pixels;
    if (rgb.isNull() || readPixels(rgb, pixels) != rgb.height()) {
        return makeError("cannot write " + describe(path) + ": the picture cannot be read");
    }
    return savePictureBmp(path, pixels);
}

Result<void> savePictureBmp(const QString& path, const PixelBuffer& pixels) {
    if (pixels.empty()) {
        return makeError("cannot write " + describe(path) + ": the picture has no pixels");
    }
    // A 24-bit bottom-up BMP encoded directly: rows of blue, green, red padded to 4 bytes,
    // streamed in chunks of rows so no second copy of the picture is made.
    const int64_t rowBytes = (int64_t{pixels.width()} * 3 + 3) / 4 * 4;
    const int64_t imageBytes = rowBytes * pixels.height();
    constexpr int kHeaderBytes = 14 + 40;
    if (imageBytes + kHeaderBytes > INT32_MAX) {
        return makeError("cannot write " + describe(path) + ": the picture is too large for BMP");
    }
    return writeFileAtomically(path, [&](QIODevice& device) {
        uint8_t header[kHeaderBytes] = {};
        auto put16 = [&](int offset, uint32_t v) {
            header[offset] = static_cast<uint8_t>(v);
            header[offset + 1] = static_cast<uint8_t>(v >> 8);
        };
        auto put32 = [&](int offset, uint32_t v) {
            put16(offset, v & 0xFFFF);
            put16(offset + 2, v >> 16);
        };
        header[0] = 'B';
        header[1] = 'M';
        put32(2, static_cast<uint32_t>(kHeaderBytes + imageBytes));
        put32(10, kHeaderBytes);
        put32(14, 40);
        put32(18, static_cast<uint32_t>(pixels.width()));
        put32(22, static_cast<uint32_t>(pixels.height()));
        put16(26, 1);   // planes
        put16(28, 24);  // bits per pixel
        put32(34, static_cast<uint32_t>(imageBytes));
        put32(38, 2835);  // 72 dpi
        put32(42, 2835);
        if (device.write(reinterpret_cast<const char*>(header), kHeaderBytes) != kHeaderBytes) {
            return false;
        }
        const int rowsPerChunk = static_cast<int>(std::max<int64_t>(1, (1 << 20) / rowBytes));
        QByteArray chunk(static_cast<qsizetype>(rowBytes * rowsPerChunk), '\0');
        for (int first = pixels.height() - 1; first >= 0; first -= rowsPerChunk) {
            const int count = std::min(rowsPerChunk, first + 1);
            for (int i = 0; i < count; ++i) {
                auto* out = reinterpret_cast<uint8_t*>(chunk.data()) + rowBytes * i;
                const Pixel* in = pixels.row(first - i);
                for (int x = 0; x < pixels.width(); ++x) {
                    out[3 * x] = static_cast<uint8_t>(in[x]);
                    out[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
                    out[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
                }
            }
            const qint64 bytes = rowBytes * count;
            if (device.write(chunk.constData(), bytes) != bytes)
                return false;
        }
        return true;
    });
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
