#pragma once
// Chart images: each sheet's character chart as a bitmap, named after the picture. One
// page plan with a page per sheet, laid out in the pixels of a surface at 96 dots per
// inch (one screen pixel, 15 twips) and stored in millimetres like every plan; saved page
// by page, each file whole.

#include <QString>
#include <QStringList>
#include <QTime>

#include "imaging/result.h"
#include "printing/chart_plan.h"
#include "printing/page_plan.h"

namespace kirimo::printing {

inline constexpr double kChartImageDotsPerInch = 96.0;

// The base of the file names: the picture's full path (extension included) followed by
// "_Cnv" and the whole seconds since midnight of `time`: /a/cat.jpg at 10:00:00 gives
// /a/cat.jpg_Cnv36000.
QString chartImageBase(const QString& pictureFileName, const QTime& time);

// The message after saving: "元画像と同じﾌｫﾙﾀﾞに「" name "」というﾌｧｲﾙ名で保存しました。",
// name being the base after its last separator.
QString chartImagesSavedMessage(const QString& base);

struct ChartImagePlan {
    PagePlan plan;         // one page per sheet, in sheet order
    QStringList suffixes;  // per page: "(column,row).bmp"
    int widthPx = 0;       // every image's size
    int heightPx = 0;
};

// Text measured on the chart images' surface (a picture at kChartImageDotsPerInch), in mm:
// the `measure` of the context given to planChartImages.
TextMeasure chartImageTextMeasure();

// The chart images of `picture` in sheets of `sheet` dots: the cell is the size cw x ch of
// "亜" in the symbol font at 9 points (no bold, no italic), in whole pixels; the surface is
// cw x 210 by ch x 297 pixels with landscape chosen, cw x 297 by ch x 210 with portrait.
// Every sheet, no page selection or white-page skipping: each dot inside the picture whose
// ColourNumber is not 1 gets a character chosen as in a chart (uniform among the
// candidates, "." without), centred in its cell, in the dot's colour when `colour` is on,
// else black. No grid and no label; dots beyond the surface are cut off. context.measure
// measures on the surface (chartImageTextMeasure, or fixed metrics in tests); its
// millimetres are turned into the surface's pixels here. An empty symbol font name uses
// context.fallbackFontFamily (the program's Japanese Gothic). Refuses a sheet side below 1,
// an empty picture, a missing context member and a font in which "亜" has no size.
Result<ChartImagePlan> planChartImages(const PixelBuffer& picture, SheetSize sheet,
                                       PageOrientation orientation, bool colour,
                                       const ChartContext& context);

// Paints every page of the plan on a white surface and saves it as the 24-bit bitmap
// base + suffix, in order, each whole. Stops at the first file that cannot be written;
// files written before it stay. Returns the paths written.
Result<QStringList> saveChartImages(const ChartImagePlan& images, const QString& base);

}  // namespace kirimo::printing
