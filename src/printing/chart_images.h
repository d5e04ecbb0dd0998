#pragma once
// Chart images: each sheet's character chart as a bitmap, named after the picture. One
// page plan with a page per sheet, laid out in the pixels of a surface at 96 dots per
// inch (one screen pixel, 15 twips) and stored in millimetres like every plan; saved page
// by page, each file whole.

#include <QString>
#include <QStringList>
#include <QTime>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

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

// The chart images of planChartImages made one at a time, in sheet order, with the same
// random numbers drawn in the same order. The picture and whatever the context points to
// must outlive it.
class ChartImages {
  public:
    // planChartImages's checks.
    static Result<ChartImages> create(const PixelBuffer& picture, SheetSize sheet,
                                      PageOrientation orientation, bool colour,
                                      const ChartContext& context);
    ChartImages(ChartImages&&) noexcept;
    ChartImages& operator=(ChartImages&&) noexcept;
    ~ChartImages();

    int widthPx() const;  // every image's size
    int heightPx() const;
    QSizeF paperSizeMm() const;  // the surface in millimetres
    int count() const;           // one image per sheet
    // "(column,row).bmp" of the image at `index` (from 0, sheet order).
    QString suffix(int index) const;
    // The size of each saved bitmap in bytes (24 bits a pixel, rows padded to 4 bytes).
    int64_t fileBytes() const;
    // The next image's page; nothing after the last.
    std::optional<Page> next();

  private:
    struct State;
    explicit ChartImages(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// The most chart images one run may write.
inline constexpr int64_t kMaxChartImages = 10000;

// Refuses to begin when the images would be more than kMaxChartImages files, or would
// need more bytes than the file system of base's folder has free (a folder that cannot be
// examined is left to the writes), saying how much they need and how much there is.
Result<void> checkChartImagesFit(const ChartImages& images, const QString& base);

// Paints each image on a white surface as it is made and saves it as the 24-bit bitmap
// base + suffix, in order, each whole; only one image is in memory at a time. `saved`
// (when given) hears each path as soon as its file is written. Stops at the first file
// that cannot be written, with an error that names the files written before it (they
// stay). Returns the paths written.
Result<QStringList> saveChartImages(ChartImages& images, const QString& base,
                                    const std::function<void(const QString&)>& saved = {});

// The same for images planned whole.
Result<QStringList> saveChartImages(const ChartImagePlan& images, const QString& base);

}  // namespace kirimo::printing
