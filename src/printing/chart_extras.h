#pragma once
// The pages a chart may carry besides its sheets: a cover with the whole picture, its sheet
// outlines and its colour counts, and a legend of every colour used with its symbols, its
// count and the number of sheets it occurs on. planChart adds them when ChartOptions asks.

#include <QImage>
#include <QStringList>
#include <array>
#include <vector>

#include "core/colour_table.h"
#include "imaging/pixel_buffer.h"
#include "imaging/sheets.h"
#include "printing/page_plan.h"

namespace kirimo::printing {

// The whole picture's count of each colour and the number of sheets of the grid holding
// at least one dot of it.
struct ChartTotals {
    ColourCounts counts{};
    std::array<int, kColourCount> sheets{};
};
ChartTotals chartTotals(const ColourNumberMap& map, const SheetGrid& grid);

// Cover and legend geometry, millimetres from the page's corner.
inline constexpr double kExtraMarginMm = 10.0;
inline constexpr double kCoverPictureTopMm = 40.0;
inline constexpr double kCoverPictureShare = 0.65;  // the picture ends this far down the page
inline constexpr double kCoverOutlineWidthMm = 0.3;
inline constexpr double kCountRowMm = 6.0;
inline constexpr double kSwatchMm = 4.0;
inline constexpr double kLegendRowsTopMm = 30.0;
inline constexpr double kLegendRowMm = 8.0;
inline constexpr double kLegendSwatchMm = 6.0;
inline constexpr double kLegendNameXMm = 22.0;
inline constexpr double kLegendSymbolsXMm = 32.0;
inline constexpr double kLegendBeadsWidthMm = 45.0;  // the bead column of a colour set
inline constexpr double kLegendCountFromRightMm = 60.0;
inline constexpr double kLegendSheetsFromRightMm = 30.0;

// The cover: the picture's name, its size in dots, the sheet size and the number of
// sheets; the picture (one pixel per dot, stored as it is) scaled to fit between
// kCoverPictureTopMm and kCoverPictureShare of the page height, centred across, with the
// red outline of every sheet (as on the sheet map) and each sheet's "(c,r)" in its top-left
// corner when every label fits its sheet (else only the first and the last, as on the
// map); below it, for every colour used in ColourNumber order, a swatch and "name＝count".
Page coverPage(const PixelBuffer& picture, const SheetGrid& grid, const ChartTotals& totals,
               const ColourTable& table, const QString& name, QSizeF pageSizeMm,
               const TextMeasure& measure);

// What a colour's cells may carry, as the legend shows it.
struct LegendSymbols {
    QStringList characters;
    std::vector<QImage> pictures;  // null images are left out
};

// The legend, one row per colour used in ColourNumber order, as many pages as the rows
// need: a swatch (outlined, so that white shows), the name, the symbols (characters in
// `symbolFont`, or small copies of the pictures, as many as fit), the count and "n枚".
std::vector<Page> legendPages(const ChartTotals& totals, const ColourTable& table,
                              const std::array<LegendSymbols, kColourCount>& symbols,
                              const TextFont& symbolFont, QSizeF pageSizeMm,
                              const TextMeasure& measure);

// The number of pages legendPages makes for these totals.
int legendPageCount(const ChartTotals& totals, QSizeF pageSizeMm);

}  // namespace kirimo::printing
