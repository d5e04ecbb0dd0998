// Fuzz target for the colour symbol file: any bytes are read without crashing, and what
// the writer makes of the result reads back to the same lines and has the file's
// structure.
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "core/symbol_settings_file.h"
#include "core/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto named = [](const QString& path) { return !path.isEmpty(); };

    (void)kirimo::checkSymbolSettingsLines(kirimo::splitLines(kirimo::decodeText(bytes)));
    kirimo::SymbolSettings settings;
    kirimo::parseSymbolSettings(kirimo::splitLines(kirimo::decodeText(bytes)), settings, named);
    const QStringList written = kirimo::symbolSettingsLines(settings);
    kirimo::SymbolSettings again;
    kirimo::parseSymbolSettings(written, again, named);
    if (written.size() != 1 + kirimo::kColourCount * 14 ||
        kirimo::symbolSettingsLines(again) != written ||
        !kirimo::checkSymbolSettingsLines(written).ok()) {
        __builtin_trap();
    }

    static QTemporaryDir folder;
    QFile file(QDir(folder.path()).filePath(kirimo::kCodeUsePrintFileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
        file.close();
        kirimo::SymbolSettings read;
        kirimo::readSymbolSettings(folder.path(), read);
        for (const kirimo::ColourSymbols& colour : read.colours) {
            for (int i = 0; i < colour.characters.size() + 2; ++i)
                (void)kirimo::flagIsUsed(colour.flags, i);
        }
    }
    return 0;
}
