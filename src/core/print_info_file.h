#pragma once
// PrintInfo.ini: the options of the A4 chart window, one line of comma-separated whole
// numbers in a fixed field order. It is kept in the current folder, so it follows the
// picture last opened.
//
// Each field is described once in printInfoFields(); adding an option means adding a
// member and one row there. A line with fewer fields than the table (an older file)
// still reads, the missing fields taking their defaults.

#include <QString>
#include <span>

#include "imaging/result.h"

namespace kirimo {

inline constexpr const char* kPrintInfoFileName = "PrintInfo.ini";

enum class ChartLineStyle { Solid = 0, Dotted = 1 };

struct PrintInfo {
    bool colour = true;                                 // chkCOLOR: characters in the dot's colour
    bool fillCell = true;                               // chkFONTSIZE: characters fill the cell
    bool gridLines = true;                              // chkLINE: draw the grid
    ChartLineStyle lineStyle = ChartLineStyle::Dotted;  // optLINE
    bool checkedPagesOnly = true;                       // chkPR: only the sheets ticked in the list
    bool skipWhiteCharacters = true;                    // chkWHITE: no character for white dots
    bool skipWhitePages = true;                         // chkALLWHITE: no page for all-white sheets
    // Pages beyond the sheets, off unless asked for (lines of older files end before them).
    bool cover = false;       // chkCOVER: a cover page with the whole picture and its counts
    bool legend = false;      // chkLEGEND: legend pages with every colour's symbols and counts
    bool boldTens = false;    // chkBOLD10: every tenth grid line wide
    bool fillColour = false;  // chkFILLCOL: cells filled with their dot's colour

    bool operator==(const PrintInfo&) const = default;
};

// One field of the line: its value as a whole number from 0 to `largest`, read from and
// stored into a PrintInfo.
struct PrintInfoField {
    const char* name;
    int largest;
    int (*get)(const PrintInfo&);
    void (*set)(PrintInfo&, int);
};

// The fields in file order.
std::span<const PrintInfoField> printInfoFields();

// The options of a line. Each field is a number rounded to a whole number, half to even;
// a field that is missing, not a number or outside its values keeps its default, so any
// text gives options and never an error.
PrintInfo parsePrintInfo(const QString& line);

// The line for the options, every field in order.
QString printInfoLine(const PrintInfo& info);

// Reads the first line of the file at path. A missing file, or one that is not a regular
// file or cannot be read, gives the defaults (the first seven fields 1, the rest 0).
PrintInfo readPrintInfoFile(const QString& path);

// Replaces the file at path with the options' line, whole or not at all.
Result<void> writePrintInfoFile(const QString& path, const PrintInfo& info);

}  // namespace kirimo
