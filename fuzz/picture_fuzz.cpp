// Fuzz target for picture loading: any bytes give a picture of an allowed size or an error.
// Inputs declaring more than a few megapixels are skipped so that each run stays small;
// large pictures are the unit tests' business.

#include <QDir>
#include <QFile>
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
        QImageReader probe(path);
        const QSize declared = probe.size();
        if (declared.isValid() && int64_t{declared.width()} * declared.height() > 4'000'000)
            return 0;
    }
    auto picture = kirimo::loadPictureFile(path);
    if (picture.ok() && (picture->empty() ||
                         !kirimo::PixelBuffer::sizeAllowed(picture->width(), picture->height()))) {
        __builtin_trap();
    }
    return 0;
}
