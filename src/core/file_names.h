#pragma once
// The file-name and folder parts of a path, split at the native separator.

#include <QString>

namespace kirimo {

// The last piece of the path after the separator (empty when the path ends in it).
// With mode 1 only the text before the first "." of that piece.
QString getFileName(const QString& path, int mode);

// Everything before the file name, always ending in the separator: "/pic/a.bmp" gives
// "/pic/", a bare "a.bmp" or an empty path gives "/".
QString getFolderPath(const QString& path);

}  // namespace kirimo
