#include "core/history_file.h"

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
    auto lines = readSettingsLines(path, LineDecoding::Paths);
    if (!lines && !settingsFileRefused(path))
        return QStringList{};  // no file yet
    if (!lines)
        return makeError(lines.error());
    return parseHistory(lines->join(QLatin1Char('\n')));
}

Result<void> writeHistoryFile(const QString& path, const QStringList& entries) {
    return writeSettingsLines(path, entries);
}

}  // namespace kirimo
