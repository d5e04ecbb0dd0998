#include "core/history_file.h"

#include <QFileInfo>

#include "core/text_file.h"

namespace kirimo {

QStringList parseHistory(const QString& text) {
    QStringList entries;
    for (const QString& line : splitLines(text)) {
        if (line.trimmed().isEmpty())
            continue;
        if (line.size() >= 2 && line.startsWith(u'"') && line.endsWith(u'"')) {
            // Quotes around blanks name no file either (written back, such an entry
            // would be read as a blank line and vanish).
            const QString inner = line.mid(1, line.size() - 2);
            if (!inner.trimmed().isEmpty())
                entries.append(inner);
            continue;
        }
        entries.append(line);
    }
    return entries;
}

Result<QStringList> readHistoryFile(const QString& path) {
    if (!QFileInfo::exists(path))
        return QStringList{};
    auto text = readTextFile(path);
    if (!text)
        return makeError(text.error());
    return parseHistory(*text);
}

Result<void> writeHistoryFile(const QString& path, const QStringList& entries) {
    return writeTextLines(path, entries);
}

}  // namespace kirimo
