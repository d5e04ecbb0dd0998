// Fuzz target for the pictures of the colour symbols, loaded as a chart loads them
// (printing::filePictureLoader): any file gives a null picture or an RGB32 one of an
// allowed size. Inputs of more than a few megapixels are skipped (small_picture_guard.h).
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "imaging/pixel_buffer.h"
#include "printing/chart_plan.h"
#include "small_picture_guard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    static const kirimo::printing::PictureLoader load = kirimo::printing::filePictureLoader();
    const QString path = QDir(folder.path()).filePath("symbol");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    if (tooLargeForFuzzing(path))
        return 0;
    const QImage image = load(path);
    if (!image.isNull() &&
        (image.format() != QImage::Format_RGB32 || image.width() < 1 || image.height() < 1 ||
         !kirimo::PixelBuffer::sizeAllowed(image.width(), image.height()))) {
        __builtin_trap();
    }
    return 0;
}
