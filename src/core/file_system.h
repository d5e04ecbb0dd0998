#pragma once
// Paths as the file system holds them: bytes. A name that is not valid UTF-8 (a CP932 name
// from an archive made on Windows, say) keeps its exact bytes through the program: each
// byte that does not decode is carried as the lone surrogate U+DC80..U+DCFF, as the text
// files do with their lines (core/text_file.h), and turned back into that byte on its way
// to the system. Qt's own path conversion replaces such bytes, so every open, stat and
// rename of a path that may hold them goes through the functions here.
//
// Writes go only where the target, after resolving links, is absent or a regular file,
// and never onto one of the same command's inputs.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <string>

#include "imaging/result.h"

namespace kirimo {

// The path's bytes for the system: the text as UTF-8, each kept byte as itself.
QByteArray encodePath(const QString& path);

// A path from the system (argv, a folder listing, a settings line): valid UTF-8 as text,
// every other byte kept (U+DC80..U+DCFF). encodePath gives the same bytes back.
QString decodePath(const QByteArray& bytes);

// The path for a person to read: as it is when it is text; kept bytes decoded as CP932
// when the whole name is CP932, otherwise each shown as \xHH.
QString displayPath(const QString& path);

// The path quoted for a message: "\"" + displayPath(path) + "\"", in UTF-8.
std::string quotedPath(const QString& path);

// The file a write to `path` lands on: links followed (relative targets against their
// link's folder) to a name that is absent or a regular file. Refused, naming the path:
// a folder, a device, a FIFO, a socket, a link loop, a link chain too long, and a file
// protected as an input (protectInputs).
Result<QByteArray> resolveWriteTarget(const QString& path);

// Marks files as inputs of the work at hand: no write replaces them, however the output
// is spelled (the same device and inode, links followed). Paths that do not exist are
// skipped.
void protectInputs(const QStringList& paths);
void forgetProtectedInputs();

// True when both paths name one existing file (links followed), however spelled.
bool sameFile(const QString& a, const QString& b);

// Whether a file of that name exists, and whether it is a regular file (links followed),
// by its exact bytes.
bool pathExists(const QString& path);
bool isRegularFile(const QString& path);

// The local file a file: URL names, by its exact bytes (QUrl::toLocalFile replaces bytes
// that are not UTF-8).
QString localFilePath(const QUrl& url);

// A path whose names Qt decoded with replacement characters (U+FFFD), as its file
// dialogs and drops do for names that are not UTF-8, matched back to the one entry of
// each folder whose bytes decode to that name. The path as given when it exists or when
// a name matches no entry or several.
QString recoverLossyPath(const QString& path);

}  // namespace kirimo
