#pragma once
// The colour information of a converted picture, saved next to it as three files:
//   base.txt  the settings line, then per sheet a heading, the sheet charted dot by dot in
//             one-character colour names and a count line, then "<総計>" and the totals;
//   base.csv  "横,縦,黒,...,自" and per sheet its column, row and all 18 counts;
//   base.bmp  the converted picture, one pixel per dot.
// Text files are in the system encoding with CR LF line ends; every file is written whole
// or not at all.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/colour_table.h"
#include "imaging/pixel_buffer.h"
#include "imaging/result.h"
#include "imaging/sheets.h"

namespace kirimo {

// Rows of partial sheets below the picture are charted as empty lines. A report that
// would hold more of them than this is refused, so that a huge sheet height on a small
// picture cannot fill the disk with empty lines.
constexpr int64_t kMaxEmptyChartLines = 1 << 20;

// The ColourNumber of every dot: getColorNumber of the pixel's colour value.
Result<ColourNumberMap> mapColourNumbers(const PixelBuffer& pixels, const ColourTable& table);

// "＜横" column "枚目、縦" row "枚目＞".
QString sheetHeading(int column, int row);

// For each colour counted at least once, in ColourNumber order, its name, "＝", the count
// and ",": "黒＝12,白＝30,". Empty when nothing was counted.
QString countLine(const ColourCounts& counts);

// "横,縦,黒,白,赤,青,草,黄,水,緑,桃,茶,橙,紫,菖,深,紺,金,銀,自".
QString csvHeader();

// Refuses a map and grid of different sizes and a report with more than
// kMaxEmptyChartLines empty chart lines.
Result<void> checkTextReport(const ColourNumberMap& map, const SheetGrid& grid);

// Takes one line of a report (without its line end); false stops the report.
using ReportLineSink = std::function<bool(const QString& line)>;

// Hands the lines of the text report to `line` one at a time, as they are made, sheet by
// sheet; false when `line` stopped it. The map and grid must have passed checkTextReport.
bool forEachTextReportLine(const QString& settingsLine, const ColourNumberMap& map,
                           const SheetGrid& grid, const ReportLineSink& line);

// Hands the lines of the CSV table to `line` one at a time: the header and one line of 20
// fields per sheet. False when `line` stopped it.
bool forEachCsvReportLine(const ColourNumberMap& map, const SheetGrid& grid,
                          const ReportLineSink& line);

// All the lines of the text report at once (checkTextReport first).
Result<QStringList> textReportLines(const QString& settingsLine, const ColourNumberMap& map,
                                    const SheetGrid& grid);

// All the lines of the CSV table at once.
QStringList csvReportLines(const ColourNumberMap& map, const SheetGrid& grid);

// What the two text files of a report are made from, checked, ready to be written: their
// lines are made while they are written, so a report of millions of sheets needs no more
// memory than the picture's colour map.
struct ReportContents {
    QString settingsLine;
    ColourNumberMap map;
    std::optional<SheetGrid> grid;
    // In a colour set, the beads file's lines (beadReportLines); empty otherwise.
    QStringList beadLines;
};

// The beads a maker buys for a picture drawn in a colour set: a heading, then one line per
// colour used: ColourNumber, name, bead code, bead name, count and number of sheets it
// appears on. Nothing for the standard set.
QStringList beadReportLines(const ColourNumberMap& map, const SheetGrid& grid,
                            const ColourTable& table);

// The beads file of a report: basePath + "_beads.csv".
QString beadReportPath(const QString& basePath);

// The reports of the converted picture divided into sheets of sheetSize dots. Refuses an
// empty picture, a sheet size below 1 x 1 and an oversized text report.
Result<ReportContents> prepareReportContents(const PixelBuffer& converted, const ColourTable& table,
                                             const QString& settingsLine, SheetSize sheetSize);

// Refuses a base path that names no file: an empty text, a path ending in the separator
// (it would give hidden files ".txt", ".csv", ".bmp") and an existing folder.
Result<void> checkReportBase(const QString& basePath);

// The number of dots whose colour is none of the table's colours; the counts map each of
// them to the table colour nearest by packed value.
int64_t countNonTableDots(const PixelBuffer& pixels, const ColourTable& table);

// Writes basePath + ".txt", basePath + ".csv", then the picture as basePath + ".bmp", and in
// a colour set the beads file,
// the text files as their lines are made, each file whole or not at all. A failing write
// ends the work; files written before it stay. A base refused by
// checkReportBase writes nothing.
Result<void> writeReportContents(const QString& basePath, const ReportContents& contents,
                                 const PixelBuffer& converted);

// prepareReportContents, then writeReportContents: bad input writes no file.
Result<void> writeReportFiles(const QString& basePath, const PixelBuffer& converted,
                              const ColourTable& table, const QString& settingsLine,
                              SheetSize sheetSize);

}  // namespace kirimo
