// Fuzz target for PrintInfo.ini as the A4 chart window reads it: any file gives options
// with every field among its values, and the file written for them reads back the same.
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "core/print_info_file.h"
#include "core/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(kirimo::kPrintInfoFileName);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const kirimo::PrintInfo read = kirimo::readPrintInfoFile(path);
    for (const kirimo::PrintInfoField& field : kirimo::printInfoFields()) {
        const int value = field.get(read);
        if (value < 0 || value > field.largest)
            __builtin_trap();
    }
    // The file's first line decides; the rest is ignored.
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = kirimo::splitLines(kirimo::decodeText(bytes));
    const kirimo::PrintInfo expected =
        lines.isEmpty() ? kirimo::PrintInfo{} : kirimo::parsePrintInfo(lines.first());
    if (!(read == expected))
        __builtin_trap();
    if (kirimo::writePrintInfoFile(path, read).ok() && !(kirimo::readPrintInfoFile(path) == read))
        __builtin_trap();
    return 0;
}
