#pragma once
// The --symbols FILE option of the chart commands: a CodeUsePrint.ini as the program
// keeps it.

#include <QString>
#include <QTextStream>

#include "core/symbol_settings.h"
#include "imaging/result.h"

namespace kirimo::cli {

// The symbol settings of the file at path. Refused, with a message naming the file and
// why: what is not a regular file (the system's reason where there is none to open), a
// file that cannot be read, and a file without the structure of a symbol settings file.
// A symbol font that is not installed is named on `err`, with the font used instead;
// the settings are still returned.
Result<SymbolSettings> readSymbolsOption(const QString& path, QTextStream& err);

// The family that is painted when `family` is asked for, when that is another one; an
// empty string when `family` is installed, empty, or stands for a font by design
// (QFont::substitutes). Needs a QGuiApplication.
QString replacedFontFamily(const QString& family);

}  // namespace kirimo::cli
