#pragma once
// A4 charts of a converted picture: one page per sheet, every dot a cell of whole
// millimetres holding a character or a small picture chosen for the dot's colour from the
// colour symbol settings, optionally inside a grid of separator lines.
//
// The window and kirimo-cli both fill ChartOptions from their controls or flags, run
// checkChartSize, and hand the rest to planChart; the plan is then painted by
// printing/page_renderer.h on the printer, the preview or a PDF.

#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "core/colour_table.h"
#include "core/font_substitutes.h"
#include "core/symbol_settings.h"
#include "imaging/pixel_buffer.h"
#include "imaging/result.h"
#include "imaging/sheets.h"
#include "printing/page_plan.h"
#include "printing/page_source.h"

namespace kirimo::printing {

// The label font: the page labels' band height is measured in it.
inline constexpr const char* kLabelFontFamily = "ＭＳ ゴシック";
inline constexpr double kLabelPointSize = 9.0;

// The program's Japanese Gothic (its interface font where installed): the chart images'
// font when no symbol font is set.
using kirimo::kJapaneseGothicFamily;

// The string whose printed width decides the character size.
inline constexpr const char* kSizingString = "黒白赤青草黄水緑桃茶橙紫菖深紺金銀自";

// Cell sides, whole millimetres. Declared range of each side: 0 to 200.
struct CellSize {
    int width = 0;
    int height = 0;

    bool operator==(const CellSize&) const = default;
};
inline constexpr int kCellSideMin = 0;
inline constexpr int kCellSideMax = 200;

enum class UsageMode { Characters, Pictures };

// One field per control of the printing window (and per flag of kirimo-cli chart).
struct ChartOptions {
    PageOrientation orientation = PageOrientation::Landscape;  // "横" landscape, "縦" portrait
    CellSize cell;                            // "区切り（mm）" across and down
    bool colour = false;                      // "文字をｶﾗｰで印刷"
    bool fillCell = false;                    // "ﾏｽ一杯に文字を印字する"
    bool lines = false;                       // "区切り線を引く"
    LineStyle lineStyle = LineStyle::Solid;   // "実線" / "点線"
    bool printOnlyChecked = false;            // "ﾁｪｯｸのついた用紙だけ印刷"
    std::vector<bool> checkedPages;           // per page index (sheet order); missing = unchecked
    bool noWhite = false;                     // "「白」の文字は印刷しない"
    bool skipWhitePages = false;              // "全て白のページは印刷しない"
    UsageMode usage = UsageMode::Characters;  // "文字使用" / "画像使用"
    bool cover = false;                       // "表紙を付ける": a cover page first
    bool legend = false;                      // "凡例を付ける": legend pages after the sheets
    int boldEvery = 0;  // "10ﾏｽごとに太線": every Nth grid line wide; 0 off
    // "ﾏｽを色で塗る": each character cell filled with its dot's colour (white cells left
    // unfilled), its character in black or white, whichever reads better on it.
    bool fillColour = false;
    // The printable area of the device, from its top-left corner (the plan's origin); empty
    // for a page without margins.
    QSizeF printableMm;
};

// The area the pages are laid out in: the printable area, or the whole page.
QSizeF printableAreaMm(const ChartOptions& options);

// Black or white, whichever contrasts more (by relative luminance) with a cell filled so.
QColor contrastingTextColour(const QColor& fill);

// The pen of every boldEvery-th grid line, in millimetres.
inline constexpr double kBoldLineWidthMm = 0.5;

// Millimetres across and down of an A4 page lying so: 297 x 210 landscape, 210 x 297
// portrait.
QSizeF chartPageSizeMm(PageOrientation orientation);

// The largest cell that fits a sheet below the page label band inside the printable area:
// floor(printable width / sheet width) by floor((printable height - label height) / sheet
// height). A sheet side below 1 (or no room at all) gives 0 for that side.
CellSize largestCellSize(SheetSize sheet, QSizeF printableMm, int labelHeightMm);

// The page list, one label "(column,row)" per sheet in sheet order (rows of sheets from
// the top, each row from the left), for a pictureWidth x pictureHeight picture. Empty for
// a picture without dots or a sheet side below 1.
QStringList pageListLabels(int pictureWidth, int pictureHeight, SheetSize sheet);

// The checks before a print run, in their order.
enum class ChartCheck { Ok, ZeroCell, TooWide, TooTall };

// Ok, or the first check that fails: a cell side of 0 first (even when the other side is
// too large), then a cell wider than `largest`, then a cell taller.
ChartCheck checkChartSize(CellSize cell, CellSize largest);

// The message a failed check shows: its title, its text and whether it carries an
// exclamation icon (otherwise no icon). Empty texts for Ok.
struct ChartCheckMessage {
    QString title;
    QString text;
    bool exclamation = false;
};
ChartCheckMessage chartCheckMessage(ChartCheck check);

// The symbol font's family: the name in the settings, or `fallbackFamily` when that is
// empty. (A print run stores the fallback into the shared settings: the window does that.)
QString symbolFontFamily(const SymbolSettings& symbols, const QString& fallbackFamily);

// A colour's candidate characters: the characters (split as candidateCharacters of
// core/symbol_slots.h splits them) whose flag is used, at most kMaxCandidates of them
// (the first ones).
inline constexpr int kMaxCandidates = 101;
QStringList enabledCandidates(const ColourSymbols& symbols);

// A colour's pictures: the paths of its slots that hold a path and are marked used, in
// slot order.
QStringList usedPictures(const ColourSymbols& symbols);

// The height of the page label band: the height of "(0,0)" in the label font at 9 points,
// rounded to whole millimetres (half to even).
int labelHeightMm(const TextMeasure& measure);

// The character size in points: the first whole size s from 1 up at which kSizingString
// printed in `symbolFont` is at least 18 x cellWidth mm wide gives round((s - 1) x 0.9);
// without fillCell, half that, rounded again (both half to even). The search stops at
// kMaxSearchPointSize when a font never reaches the width.
inline constexpr int kMaxSearchPointSize = 2000;
int characterPointSize(const TextMeasure& measure, const TextFont& symbolFont, int cellWidth,
                       bool fillCell);

// Uniform random numbers in [0, 1).
using RandomSource = std::function<double()>;

// Draws from `engine` (which must outlive the function): each number is one 32-bit output
// divided by 2^32.
RandomSource uniformRandom(std::mt19937& engine);

// Loads a picture file for a picture cell; a null image when it cannot be loaded.
using PictureLoader = std::function<QImage(const QString& path)>;

// The program's loader: loadPictureImage (core/picture_file.h), null on any failure.
PictureLoader filePictureLoader();

// What a chart is made from besides the picture and its options.
struct ChartContext {
    const ColourTable* colourTable = nullptr;  // maps a dot's colour to its ColourNumber
    const SymbolSettings* symbols = nullptr;   // characters, pictures and symbol font
    QString fallbackFontFamily;                // the interface font, for an empty symbol font name
    TextMeasure measure;                       // metrics of the device the plan is for
    RandomSource random;                       // every random choice, in cell order
    PictureLoader loadPicture;                 // picture cells; each path is loaded once per plan
    QString pictureName;                       // the cover's title (the picture's file name)
};

// The chart pages of `picture` (the converted picture, one pixel per dot) divided into
// sheets of `sheet` dots, A4 in the chosen orientation. Sheets are visited in sheet order
// with a running page index; a sheet is skipped when printOnlyChecked is on and its page
// index is not checked, or when skipWhitePages is on and every dot of it inside the
// picture is white (ColourNumber 1). Each page has the label "(column,row)" at (0, 0) in
// the symbol font at 9 points when there are 2 or more sheets; with `lines` a grid of
// sheet.width x sheet.height cells of cell.width x cell.height mm starting labelH below
// the top (full also for a partial sheet); then each dot inside the picture fills its
// cell: a character chosen at random among its colour's candidates, centred in the cell
// ("." without candidates), or in picture mode one of its colour's pictures stretched
// into the cell less 0.2 mm each way (never the same one twice running for a colour with
// two or more; a picture that cannot be loaded leaves its cell empty; without pictures
// the colour's name). With boldEvery N above 0, grid lines 0, N, 2N, ... of each sheet
// (counted from its first line across and down) are kBoldLineWidthMm wide. With `cover`
// the cover page (printing/chart_extras.h) comes first; with `legend` the legend pages
// come last; both count the whole picture, whatever sheets are left out. Refuses a sheet
// side below 1, an empty picture, a missing context
// member, a cell size that checkChartSize refuses (the message's text) and a chart of more
// than kMaxDocumentPages pages. Every page is held at once: ChartPages makes the same
// pages one at a time.
Result<PagePlan> planChart(const PixelBuffer& picture, SheetSize sheet, const ChartOptions& options,
                           const ChartContext& context);

// The pages of planChart, each made when it is asked for: the cover, then the sheets in
// sheet order, then the legend, with every random number drawn in the same order as
// planChart draws it. Memory stays near one page whatever the number of pages. The
// picture and whatever the context points to must outlive it.
class ChartPages final : public PageSource {
  public:
    // planChart's checks. The page bound is checked before any dot is looked at unless
    // white sheets are to be skipped (they are counted first).
    static Result<ChartPages> create(const PixelBuffer& picture, SheetSize sheet,
                                     const ChartOptions& options, const ChartContext& context);
    ChartPages(ChartPages&&) noexcept;
    ChartPages& operator=(ChartPages&&) noexcept;
    ~ChartPages() override;

    QSizeF paperSizeMm() const override;
    PageOrientation orientation() const override;
    int64_t pageCount() const override;
    std::optional<Page> next() override;

  private:
    struct State;
    explicit ChartPages(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// The sheets a chart prints before white sheets are left out: every sheet of the grid, or
// with printOnlyChecked the checked ones. Counted without looking at any dot.
int64_t chartSheetPages(const SheetGrid& grid, const ChartOptions& options);

}  // namespace kirimo::printing
