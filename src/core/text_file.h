#pragma once
// Settings and report files: written whole in the system's 8-bit encoding with CR LF
// line ends; read as UTF-8, or as CP932 (Shift-JIS) when the bytes are not UTF-8, with
// CR LF or LF line ends.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

#include "imaging/result.h"

namespace kirimo {

// Text files larger than this are refused: every file the program reads is small.
constexpr qint64 kMaxTextFileBytes = 64 * 1024 * 1024;

// Decodes bytes as UTF-8 (a leading byte-order mark dropped), or as CP932 when they are
// not valid UTF-8. Undecodable CP932 bytes become replacement characters.
QString decodeText(const QByteArray& bytes);

// Splits text into lines at CR LF, LF or a lone CR. A final line end does not start
// another line, so "a\r\nb\r\n" gives {"a", "b"} and "" gives {}.
QStringList splitLines(const QString& text);

// The whole file, decoded. An error names the file when it cannot be read.
Result<QString> readTextFile(const QString& path);

// The file's lines (readTextFile, then splitLines).
Result<QStringList> readTextLines(const QString& path);

// Writes every line followed by CR LF, in the system encoding, replacing the file
// atomically: on failure the earlier file is left as it was.
Result<void> writeTextLines(const QString& path, const QStringList& lines);

// Writes bytes to a file atomically (whole or not at all).
Result<void> writeFileAtomically(const QString& path, const QByteArray& bytes);

// Writes a file atomically from what `produce` writes to the device; `produce` returns
// false when a write failed. Nothing replaces the file unless everything was written.
Result<void> writeFileAtomically(const QString& path,
                                 const std::function<bool(QIODevice&)>& produce);

// The fields of a delimited text, in order across all its lines: a field ends at a comma
// or at the end of a line; a field that begins with a double quote ends at the next
// double quote, the quotes dropped, and anything after it up to the next comma or line
// end is skipped. Blanks around an unquoted field are dropped.
QStringList readDelimitedFields(const QString& text);

}  // namespace kirimo
