#pragma once
// CodeUsePrint.ini: the colour symbols kept between runs. A font line "name,bold,italic",
// then one section of 14 lines per colour: "[name]" ("[]" for the user colour), the
// character string, the flag list, "<画像>" and ten picture lines "path,flag" (used slots
// first, in slot order, then "," for each free one).

#include <QString>
#include <QStringList>
#include <functional>

#include "core/symbol_settings.h"
#include "imaging/result.h"

namespace kirimo {

inline constexpr const char* kCodeUsePrintFileName = "CodeUsePrint.ini";

// Whether a picture named in the file still exists; the default asks the file system for
// a regular file (never for a name holding a zero byte, which names no file).
using PictureExists = std::function<bool(const QString& path)>;
bool pictureFileExists(const QString& path);

// Whether lines have the file's structure: one or more sections of 14 lines, each
// opened by "[name]" with "<画像>" as its fourth line, and outside them only font lines
// (lines without "[", as parseSymbolSettings reads them). The error names the first line
// that breaks it (from 1). parseSymbolSettings reads any lines; this tells a symbol file
// from other files.
Result<void> checkSymbolSettingsLines(const QStringList& lines);

// The settings when no file is kept: every colour offers its own one-character name,
// used; the font values are those of `settings`, which is changed in place.
void applyDefaultSymbols(SymbolSettings& settings);

// Reads the file's lines into `settings`, changing only what the lines supply: a line
// without "[" is a font line; a line with "[" opens the next section (numbered in file
// order, the name not checked), whose next 13 lines are taken by position. A picture
// line is split at its last comma; its path is kept only when `exists` says so, and its
// flag is used when missing, not used when not a number, else used unless 0. Sections
// beyond the 18th are ignored; colours the lines have no section for get their own name,
// used, as when no file is kept.
void parseSymbolSettings(const QStringList& lines, SymbolSettings& settings,
                         const PictureExists& exists = pictureFileExists);

// Reads folder/CodeUsePrint.ini into `settings`; when the file is missing or cannot be
// read, applyDefaultSymbols.
void readSymbolSettings(const QString& folder, SymbolSettings& settings);

// Puts each colour's name (colours 0 to 16) in front of a character string that does not
// begin with it, and "0," in front of its flag list, so that the name is the first,
// unused candidate. The user colour is never changed.
void putColourNamesFirst(SymbolSettings& settings);

// The file's lines for `settings` as they stand (call putColourNamesFirst first to store
// what the window stores). Bold and italic are written 0 or 1.
QStringList symbolSettingsLines(const SymbolSettings& settings);

// Replaces folder/CodeUsePrint.ini with symbolSettingsLines, whole or not at all.
Result<void> writeSymbolSettings(const QString& folder, const SymbolSettings& settings);

}  // namespace kirimo
