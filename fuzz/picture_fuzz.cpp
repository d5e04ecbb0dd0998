// Fuzz target for picture loading: any bytes give a picture of an allowed size or an error.
// Inputs of more than a few megapixels are skipped so that each run stays small; large
// pictures are the unit tests' business. Some readers (GIF with a zero-height screen, for
// one) declare no size, so those inputs are first decoded under a small allocation limit.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "core/picture_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath("input");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    {
        constexpr int64_t kMostPixels = 4'000'000;
        QImageReader probe(path);
        const QSize declared = probe.size();
        if (declared.isValid() && !declared.isEmpty()) {
            if (int64_t{declared.width()} * declared.height() > kMostPixels)
                return 0;
        } else {
            QImageReader::setAllocationLimit(kMostPixels * 4 / (1024 * 1024));
            const QImage decoded = probe.read();
            if (decoded.isNull() || int64_t{decoded.width()} * decoded.height() > kMostPixels)
                return 0;
        }
    }
    auto picture = kirimo::loadPictureFile(path);
    if (picture.ok() && (picture->empty() ||
                         !kirimo::PixelBuffer::sizeAllowed(picture->width(), picture->height()))) {
        __builtin_trap();
    }
    return 0;
}
