#pragma once
// The message a later start sends to the running copy: paths as bytes, each ended by a
// zero byte, which no path contains. Only QtCore, so that the reader can be tested and
// fuzzed without windows.

#include <QByteArray>
#include <QList>

namespace kirimo::ui {

// The longest path the system opens (PATH_MAX, its ending zero included); a longer
// piece is no path and is dropped.
inline constexpr qsizetype kHandOffPathLimit = 4096;
// The most a connection may send: room for many paths, and all the running copy keeps
// of one connection. What comes after it is not read.
inline constexpr qsizetype kHandOffMessageLimit = 64 * 1024;

// The paths of a message, their bytes exactly as sent, in order. Only the first
// kHandOffMessageLimit bytes count; empty pieces, pieces longer than kHandOffPathLimit
// and a last piece without its ending zero (cut off) are dropped.
QList<QByteArray> parseHandOffMessage(const QByteArray& message);

// The message for these paths, as parseHandOffMessage reads it back: empty paths and
// paths it would drop are left out, and paths stop where the message would pass
// kHandOffMessageLimit.
QByteArray handOffMessage(const QList<QByteArray>& paths);

}  // namespace kirimo::ui
