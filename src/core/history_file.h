#pragma once
// The recent-files list kept between runs: one full path per line.

#include <QString>
#include <QStringList>

#include "imaging/result.h"

namespace kirimo {

// The settings file that holds the list.
inline constexpr const char* kHistoryFileName = "history.ini";

// The entries of a history text, one per line in order. A line wholly inside double
// quotes loses the quotes; a path containing a comma stays whole. Blank lines name no
// file and are skipped.
QStringList parseHistory(const QString& text);

// The entries of the history file at path; a missing file is an empty history.
Result<QStringList> readHistoryFile(const QString& path);

// Replaces the file at path with one line per entry, whole or not at all.
Result<void> writeHistoryFile(const QString& path, const QStringList& entries);

}  // namespace kirimo
