#pragma once
// Settings and report files: written whole in the system's 8-bit encoding with CR LF
// line ends; read only from regular files of a bounded size, with CR LF or LF line ends,
// each line decoded on its own: as UTF-8, or as CP932 (Shift-JIS) when it is not UTF-8.
// A line that neither decodes without loss keeps its bytes (see decodeText), and the
// writers here put those bytes back unchanged.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

#include "imaging/result.h"

namespace kirimo {

// Text files larger than this are refused: every file the program reads is small.
constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;

// Decodes bytes line by line, keeping the line ends as they are: a line that is valid
// UTF-8 as UTF-8 (a byte-order mark opening the text dropped), another as CP932
// when that decodes and encodes back to the same bytes. Any other line keeps its bytes:
// ASCII as itself and every byte 0x80..0xFF as the lone surrogate U+DC80..U+DCFF, which
// encodeLine turns back into that byte.
QString decodeText(const QByteArray& bytes);

// A line in the system's 8-bit encoding, except that the kept bytes of an undecodable
// line (U+DC80..U+DCFF) are written as the bytes they stand for.
QByteArray encodeLine(const QString& line);

// The bytes of a regular file of at most kMaxTextFileBytes. Anything else (a missing
// file, a folder, a device, a pipe, a larger file) is refused with a message naming the
// file, without waiting on it and without reading more than the bound.
Result<QByteArray> readBoundedFile(const QString& path);

// Splits text into lines at CR LF, LF or a lone CR. A final line end does not start
// another line, so "a\r\nb\r\n" gives {"a", "b"} and "" gives {}.
QStringList splitLines(const QString& text);

// The whole file (readBoundedFile), decoded. An error names the file when it cannot be
// read.
Result<QString> readTextFile(const QString& path);

// The file's lines (readTextFile, then splitLines).
Result<QStringList> readTextLines(const QString& path);

// Writes every line (encodeLine) followed by CR LF, replacing the file
// atomically: on failure the earlier file is left as it was.
Result<void> writeTextLines(const QString& path, const QStringList& lines);

// Writes bytes to a file atomically (whole or not at all).
Result<void> writeFileAtomically(const QString& path, const QByteArray& bytes);

// Writes a file atomically from what `produce` writes to the device: into a new file
// beside the target, which replaces the target only when every write, the close and the
// rename succeeded; otherwise it is removed and the earlier file stays as it was. The
// device refuses every write after the first that failed (a full disk), so `produce` may
// also just check that the device is still open for writing; `produce` returns false when
// it failed. The path keeps its exact bytes (core/file_system.h); links are followed, and
// a target that is not a regular file is refused before anything is written. An existing
// target keeps its permissions.
Result<void> writeFileAtomically(const QString& path,
                                 const std::function<bool(QIODevice&)>& produce);

// Whether the last write to `device` inside writeFileAtomically's `produce` failed, with
// the reason (empty when it did not). For writers, such as QPdfWriter, that do not report
// their own write errors.
std::string deviceWriteFailure(const QIODevice& device);

// Settings files. One that is present but cannot be read (too large, not a regular file,
// unreadable) is kept as it is for the rest of the run: writeSettingsLines leaves it alone
// (and reports success, since the user was told), and the notifier hears of it once.
// With LineDecoding::Paths every line is a path: UTF-8 where it is valid, and the bytes
// of the rest kept exactly (decodePath), never decoded as CP932, so that a name written by
// another system still names its file when it is written back.
enum class LineDecoding { Text, Paths };
Result<QStringList> readSettingsLines(const QString& path,
                                      LineDecoding decoding = LineDecoding::Text);
Result<void> writeSettingsLines(const QString& path, const QStringList& lines);
using SettingsRefusalNotifier = std::function<void(const QString& path, const std::string& why)>;
void setSettingsRefusalNotifier(SettingsRefusalNotifier notifier);
// Whether the file was refused by readSettingsLines (present but unreadable).
bool settingsFileRefused(const QString& path);
// Forgets every refusal (a test starting afresh).
void forgetRefusedSettingsFiles();

// The fields of a delimited text, in order across all its lines: a field ends at a comma
// or at the end of a line; a field that begins with a double quote ends at the next
// double quote, the quotes dropped, and anything after it up to the next comma or line
// end is skipped. Blanks around an unquoted field are dropped.
QStringList readDelimitedFields(const QString& text);

}  // namespace kirimo
