#include "printing/chart_images.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/file_names.h"
#include "core/picture_file.h"
#include "imaging/numeric.h"
#include "printing/page_renderer.h"

namespace kirimo::printing {

namespace {

constexpr int kWhite = 1;  // ColourNumber of 白
constexpr double kPixelsPerMm = kChartImageDotsPerInch / 25.4;
constexpr int kSurfaceShortCells = 210;
constexpr int kSurfaceLongCells = 297;

// Millimetres measured on the surface back in its pixels; the tiny error of the round trip
// is removed so that a whole or half pixel stays one.
double toPixels(double mm) {
    return std::round(mm * kPixelsPerMm * 1e6) / 1e6;
}

QColor dotColour(Pixel p) {
    return QColor(pixelRed(p), pixelGreen(p), pixelBlue(p));
}

}  // namespace

QString chartImageBase(const QString& pictureFileName, const QTime& time) {
    return pictureFileName + QStringLiteral("_Cnv") +
           QString::number(time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0);
}

QString chartImagesSavedMessage(const QString& base) {
    return QStringLiteral("元画像と同じﾌｫﾙﾀﾞに「") + getFileName(base, 0) +
           QStringLiteral("」というﾌｧｲﾙ名で保存しました。");
}

TextMeasure chartImageTextMeasure() {
    // One small surface of the images' resolution, kept for the whole run.
    static const QImage surface = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = static_cast<int>(std::lround(kPixelsPerMm * 1000.0));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return deviceTextMeasure(surface);
}

Result<ChartImagePlan> planChartImages(const PixelBuffer& picture, SheetSize sheetSize,
                                       PageOrientation orientation, bool colour,
                                       const ChartContext& context) {
    if (context.colourTable == nullptr || context.symbols == nullptr || !context.measure ||
        !context.random) {
        return makeError(
            "the chart images need a colour table, colour symbols, a text "
            "measure and a random source");
    }
    if (picture.empty())
        return makeError("the picture has no dots");
    auto grid = SheetGrid::create(picture.width(), picture.height(), sheetSize);
    if (!grid)
        return makeError(grid.error());
    auto map = ColourNumberMap::create(picture, [&](Pixel p) {
        return getColorNumber(static_cast<double>(pixelToColourValue(p)), *context.colourTable);
    });
    if (!map)
        return makeError(map.error());

    const SymbolSettings& symbols = *context.symbols;
    const TextFont font{symbolFontFamily(symbols, context.fallbackFontFamily), kLabelPointSize,
                        false, false};
    const TextExtent cellExtent = context.measure(font, QStringLiteral("亜"));
    const int cw = static_cast<int>(roundHalfEven(toPixels(cellExtent.width)));
    const int ch = static_cast<int>(roundHalfEven(toPixels(cellExtent.height)));
    if (cw < 1 || ch < 1)
        return makeError("the font \"" + font.family.toStdString() + "\" gives no character size");
    const bool landscape = orientation == PageOrientation::Landscape;
    const int64_t widthPx = int64_t{cw} * (landscape ? kSurfaceShortCells : kSurfaceLongCells);
    const int64_t heightPx = int64_t{ch} * (landscape ? kSurfaceLongCells : kSurfaceShortCells);
    if (!PixelBuffer::sizeAllowed(widthPx, heightPx))
        return makeError("the chart images would be too large for the font \"" +
                         font.family.toStdString() + "\"");

    ChartImagePlan images;
    images.widthPx = static_cast<int>(widthPx);
    images.heightPx = static_cast<int>(heightPx);
    images.plan.paperSizeMm = QSizeF(widthPx / kPixelsPerMm, heightPx / kPixelsPerMm);
    images.plan.orientation = PageOrientation::Portrait;

    std::array<QStringList, kColourCount> candidates;
    std::array<bool, kColourCount> known{};
    QHash<QString, TextExtent> extents;  // in pixels
    for (const Sheet& sheet : grid->sheets()) {
        Page page;
        // Dots beyond the surface would be cut off: they are left out.
        const int across = std::min<int64_t>(sheet.width, widthPx / cw);
        const int down = std::min<int64_t>(sheet.height, heightPx / ch);
        for (int dy = 0; dy < down; ++dy) {
            const Pixel* pixels = picture.row(sheet.y + dy) + sheet.x;
            const uint8_t* numbers = map->row(sheet.y + dy) + sheet.x;
            for (int dx = 0; dx < across; ++dx) {
                const int k = numbers[dx];
                if (k == kWhite)
                    continue;
                if (!known[k]) {
                    candidates[k] = enabledCandidates(symbols.colours[k]);
                    known[k] = true;
                }
                QString text = QStringLiteral(".");
                if (!candidates[k].isEmpty()) {
                    const int n = static_cast<int>(candidates[k].size());
                    const double scaled = std::floor(context.random() * n);
                    const int index = scaled >= 0 ? std::min(static_cast<int>(scaled), n - 1) : 0;
                    text = candidates[k][index];
                }
                auto size = extents.constFind(text);
                if (size == extents.constEnd()) {
                    const TextExtent mm = context.measure(font, text);
                    size =
                        extents.insert(text, TextExtent{toPixels(mm.width), toPixels(mm.height)});
                }
                const double x = dx * cw + (cw - size->width) / 2;
                const double y = dy * ch + (ch - size->height) / 2;
                page.items.push_back(TextItem{text, font,
                                              colour ? dotColour(pixels[dx]) : QColor(Qt::black),
                                              QPointF(x / kPixelsPerMm, y / kPixelsPerMm)});
            }
        }
        images.plan.pages.push_back(std::move(page));
        images.suffixes.append(QStringLiteral("(%1,%2).bmp").arg(sheet.column).arg(sheet.row));
    }
    return images;
}

Result<QStringList> saveChartImages(const ChartImagePlan& images, const QString& base) {
    QStringList written;
    for (size_t i = 0; i < images.plan.pages.size(); ++i) {
        const QString path = base + images.suffixes.value(static_cast<qsizetype>(i));
        const QImage image = renderPageImage(images.plan.pages[i], images.widthPx, images.heightPx,
                                             kChartImageDotsPerInch);
        if (image.isNull())
            return makeError("cannot write \"" + path.toStdString() + "\": out of memory");
        if (auto saved = savePictureBmp(path, image); !saved)
            return makeError(saved.error());
        written.append(path);
    }
    return written;
}

}  // namespace kirimo::printing
