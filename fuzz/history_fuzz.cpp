// Fuzz target for history.ini: any bytes read as a list of paths, each of which is
// written and read again unchanged, bytes that are not UTF-8 included.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/file_system.h"
#include "core/history_file.h"
#include "core/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(kirimo::kHistoryFileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    auto entries = kirimo::readHistoryFile(path);
    if (!entries.ok())
        __builtin_trap();  // a small regular file is always readable
    for (const QString& entry : *entries) {
        if (entry.isEmpty() || entry.contains(u'\r') || entry.contains(u'\n'))
            __builtin_trap();
        if (kirimo::decodePath(kirimo::encodePath(entry)) != entry)
            __builtin_trap();
    }
    // Written and read again, the list comes back whole (an entry wrapped in double
    // quotes loses them on reading, and a byte-order mark opening the file is dropped, so
    // such lists are left out of the comparison).
    if (!kirimo::writeHistoryFile(path, *entries).ok())
        return 0;
    auto again = kirimo::readHistoryFile(path);
    if (!again.ok())
        __builtin_trap();
    const bool quoted = std::any_of(entries->begin(), entries->end(), [](const QString& e) {
        return e.size() >= 2 && e.startsWith(u'"') && e.endsWith(u'"');
    });
    const bool marked = !entries->isEmpty() && entries->first().startsWith(QChar(0xFEFF));
    if (!quoted && !marked && *again != *entries)
        __builtin_trap();
    return 0;
}
