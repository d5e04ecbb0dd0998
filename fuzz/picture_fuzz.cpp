// Fuzz target for picture loading: any bytes give a picture of an allowed size or an error.
// Inputs of more than a few megapixels are skipped (small_picture_guard.h).

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "core/picture_file.h"
#include "small_picture_guard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath("input");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    if (tooLargeForFuzzing(path))
        return 0;
    auto picture = kirimo::loadPictureFile(path);
    if (picture.ok() && (picture->empty() ||
                         !kirimo::PixelBuffer::sizeAllowed(picture->width(), picture->height()))) {
        __builtin_trap();
    }
    return 0;
}
