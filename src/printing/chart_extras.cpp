#include "printing/chart_extras.h"

#include <algorithm>
#include <cmath>

#include "core/picture_file.h"
#include "imaging/numeric.h"
#include "printing/chart_plan.h"
#include "reports/report_files.h"

namespace kirimo::printing {

namespace {

TextFont gothic(double pointSize, bool bold = false) {
    return TextFont{QString::fromUtf8(kLabelFontFamily), pointSize, bold, false};
}

QColor entryColour(const ColourTable& table, int k) {
    const ColourEntry& entry = table[k];
    return QColor(entry.red, entry.green, entry.blue);
}

void addRectOutline(Page& page, const QRectF& r, double width, QColor colour) {
    const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
    for (int i = 0; i < 4; ++i)
        page.items.push_back(
            LineItem{corners[i], corners[(i + 1) % 4], LineStyle::Solid, width, colour});
}

QString sheetLabel(int column, int row) {
    return QStringLiteral("(%1,%2)").arg(column).arg(row);
}

int legendRowsPerPage(QSizeF pageSizeMm) {
    return std::max(1, static_cast<int>((pageSizeMm.height() - kExtraMarginMm - kLegendRowsTopMm) /
                                        kLegendRowMm));
}

}  // namespace

int legendPageCount(const ChartTotals& totals, QSizeF pageSizeMm) {
    const auto used = std::count_if(totals.counts.begin(), totals.counts.end(),
                                    [](int32_t count) { return count > 0; });
    const int rows = legendRowsPerPage(pageSizeMm);
    return static_cast<int>((used + rows - 1) / rows);
}

ChartTotals chartTotals(const ColourNumberMap& map, const SheetGrid& grid) {
    ChartTotals totals;
    totals.counts = countPicture(map);
    // Sheet by sheet: a grid of millions of sheets needs no list of their counts.
    for (int index = 0; index < grid.count(); ++index) {
        const ColourCounts sheet = countSheet(map, grid.sheet(index));
        for (int k = 0; k < kColourCount; ++k) {
            if (sheet[static_cast<size_t>(k)] > 0)
                ++totals.sheets[static_cast<size_t>(k)];
        }
    }
    return totals;
}

Page coverPage(const PixelBuffer& picture, const SheetGrid& grid, const ChartTotals& totals,
               const ColourTable& table, const QString& name, QSizeF pageSizeMm,
               const TextMeasure& measure) {
    Page page;
    const double margin = kExtraMarginMm;
    const TextFont titleFont = gothic(16, true);
    const TextFont infoFont = gothic(10);
    const TextFont smallFont = gothic(6);
    page.items.push_back(TextItem{name, titleFont, Qt::black, QPointF(margin, margin)});
    const SheetSize sheet = grid.sheetSize();
    const QString info = QStringLiteral("大きさ：%1×%2 ﾄﾞｯﾄ　1枚：%3×%4 ﾄﾞｯﾄ　%5×%6＝%7枚")
                             .arg(grid.pictureWidth())
                             .arg(grid.pictureHeight())
                             .arg(sheet.width)
                             .arg(sheet.height)
                             .arg(grid.columns())
                             .arg(grid.rows())
                             .arg(grid.count());
    page.items.push_back(TextItem{info, infoFont, Qt::black,
                                  QPointF(margin, margin + measure(titleFont, name).height + 2.0)});

    // The picture, as large as the area allows, centred across.
    const double areaWidth = pageSizeMm.width() - 2 * margin;
    const double areaBottom = roundHalfEven(pageSizeMm.height() * kCoverPictureShare);
    const double areaHeight = areaBottom - kCoverPictureTopMm;
    const double scale =
        std::min(areaWidth / grid.pictureWidth(), areaHeight / grid.pictureHeight());
    const double left = (pageSizeMm.width() - grid.pictureWidth() * scale) / 2;
    const double top = kCoverPictureTopMm;
    const QRectF pictureRect(left, top, grid.pictureWidth() * scale, grid.pictureHeight() * scale);
    page.items.push_back(PictureItem{toImage(picture), pictureRect});

    // Sheet outlines: every column's left edge and every row's top edge, and the picture's
    // right and bottom edges where the last sheets end or are cut.
    const QColor red(255, 0, 0);
    for (int column = 0; column <= grid.columns(); ++column) {
        const double x = left + std::min(column * sheet.width, grid.pictureWidth()) * scale;
        page.items.push_back(LineItem{QPointF(x, top), QPointF(x, pictureRect.bottom()),
                                      LineStyle::Solid, kCoverOutlineWidthMm, red});
    }
    for (int row = 0; row <= grid.rows(); ++row) {
        const double y = top + std::min(row * sheet.height, grid.pictureHeight()) * scale;
        page.items.push_back(LineItem{QPointF(left, y), QPointF(pictureRect.right(), y),
                                      LineStyle::Solid, kCoverOutlineWidthMm, red});
    }
    // Labels in every sheet when each fits the smallest (a partial last) sheet.
    const Sheet last = grid.sheet(grid.count() - 1);
    const TextExtent widest = measure(smallFont, sheetLabel(grid.columns(), grid.rows()));
    const bool everySheet =
        widest.width + 0.5 <= last.width * scale && widest.height + 0.5 <= last.height * scale;
    for (int index = 0; index < grid.count(); ++index) {
        const Sheet s = grid.sheet(index);
        const bool firstOrLast = s.column == 1 && s.row == 1;
        const bool isLast = s.column == grid.columns() && s.row == grid.rows();
        if (!everySheet && !firstOrLast && !isLast)
            continue;
        // On a white ground, so that the label reads over the dots.
        const QString label = sheetLabel(s.column, s.row);
        const QPointF at(left + s.x * scale + 0.3, top + s.y * scale + 0.3);
        page.items.push_back(FilledRectItem{
            QRectF(at, QSizeF(measure(smallFont, label).width, measure(smallFont, label).height)),
            Qt::white});
        page.items.push_back(TextItem{label, smallFont, Qt::black, at});
    }

    // The counts, three to a row.
    const ColourCounts& counts = totals.counts;
    double y = areaBottom + 5.0;
    page.items.push_back(
        TextItem{QStringLiteral("色別の数"), infoFont, Qt::black, QPointF(margin, y)});
    y += kCountRowMm + 1.0;
    const double columnWidth = areaWidth / 3;
    int shown = 0;
    for (int k = 0; k < kColourCount; ++k) {
        const int32_t count = counts[static_cast<size_t>(k)];
        if (count <= 0)
            continue;
        const double x = margin + (shown % 3) * columnWidth;
        const double rowY = y + (shown / 3) * kCountRowMm;
        const QRectF swatch(x, rowY, kSwatchMm, kSwatchMm);
        page.items.push_back(FilledRectItem{swatch, entryColour(table, k)});
        addRectOutline(page, swatch, 0.0, Qt::black);
        // In a colour set, the bead a maker buys beside the count.
        const auto& bead = table.bead(k);
        const QString name =
            bead ? colourName(k) + u' ' + bead->code + u' ' + bead->name : colourName(k);
        page.items.push_back(TextItem{name + QStringLiteral("＝") + QString::number(count),
                                      infoFont, Qt::black, QPointF(x + kSwatchMm + 2.0, rowY)});
        ++shown;
    }
    return page;
}

std::vector<Page> legendPages(const ChartTotals& totals, const ColourTable& table,
                              const std::array<LegendSymbols, kColourCount>& symbols,
                              const TextFont& symbolFont, QSizeF pageSizeMm,
                              const TextMeasure& measure) {
    const double margin = kExtraMarginMm;
    const double countX = pageSizeMm.width() - kLegendCountFromRightMm;
    const double sheetsX = pageSizeMm.width() - kLegendSheetsFromRightMm;
    const double symbolsRight = countX - 5.0;
    // In a colour set, a column of beads (code and name) comes before the symbols.
    const bool beads = !table.colourSetId().isEmpty();
    const double symbolsX = beads ? kLegendSymbolsXMm + kLegendBeadsWidthMm : kLegendSymbolsXMm;
    const TextFont headFont = gothic(10, true);
    const TextFont rowFont = gothic(10);
    TextFont charFont = symbolFont;
    charFont.pointSize = 10;
    const int rowsPerPage = legendRowsPerPage(pageSizeMm);

    std::vector<Page> pages;
    int row = rowsPerPage;  // a new page before the first row
    for (int k = 0; k < kColourCount; ++k) {
        const auto index = static_cast<size_t>(k);
        if (totals.counts[index] <= 0)
            continue;
        if (row == rowsPerPage) {
            Page page;
            page.items.push_back(TextItem{QStringLiteral("凡例"), gothic(14, true), Qt::black,
                                          QPointF(margin, margin)});
            const double headY = kLegendRowsTopMm - kLegendRowMm;
            page.items.push_back(
                TextItem{QStringLiteral("色"), headFont, Qt::black, QPointF(margin, headY)});
            page.items.push_back(TextItem{QStringLiteral("名"), headFont, Qt::black,
                                          QPointF(kLegendNameXMm, headY)});
            if (beads) {
                page.items.push_back(TextItem{QStringLiteral("ﾋﾞｰｽﾞ"), headFont, Qt::black,
                                              QPointF(kLegendSymbolsXMm, headY)});
            }
            page.items.push_back(
                TextItem{QStringLiteral("記号"), headFont, Qt::black, QPointF(symbolsX, headY)});
            page.items.push_back(
                TextItem{QStringLiteral("数"), headFont, Qt::black, QPointF(countX, headY)});
            page.items.push_back(
                TextItem{QStringLiteral("枚数"), headFont, Qt::black, QPointF(sheetsX, headY)});
            pages.push_back(std::move(page));
            row = 0;
        }
        Page& page = pages.back();
        const double y = kLegendRowsTopMm + row * kLegendRowMm;
        const QRectF swatch(margin, y, kLegendSwatchMm, kLegendSwatchMm);
        page.items.push_back(FilledRectItem{swatch, entryColour(table, k)});
        addRectOutline(page, swatch, 0.0, Qt::black);
        page.items.push_back(
            TextItem{colourName(k), rowFont, Qt::black, QPointF(kLegendNameXMm, y)});
        if (const auto& bead = table.bead(k); bead && beads) {
            page.items.push_back(TextItem{bead->code + u' ' + bead->name, rowFont, Qt::black,
                                          QPointF(kLegendSymbolsXMm, y)});
        }

        const LegendSymbols& own = symbols[index];
        if (!own.pictures.empty()) {
            double x = symbolsX;
            for (const QImage& image : own.pictures) {
                if (x + kLegendSwatchMm > symbolsRight)
                    break;
                page.items.push_back(
                    PictureItem{image, QRectF(x, y, kLegendSwatchMm, kLegendSwatchMm)});
                x += kLegendSwatchMm + 1.0;
            }
        } else {
            // As many characters as fit, "…" when some are left out.
            const double room = symbolsRight - symbolsX;
            QString text;
            for (qsizetype i = 0; i < own.characters.size(); ++i) {
                const QString next =
                    text.isEmpty() ? own.characters[i] : text + u' ' + own.characters[i];
                const bool more = i + 1 < own.characters.size();
                if (measure(charFont, more ? next + QStringLiteral(" …") : next).width > room) {
                    text += QStringLiteral(" …");
                    break;
                }
                text = next;
            }
            if (own.characters.isEmpty())
                text = QStringLiteral(".");
            page.items.push_back(TextItem{text, charFont, Qt::black, QPointF(symbolsX, y)});
        }
        page.items.push_back(TextItem{QString::number(totals.counts[index]), rowFont, Qt::black,
                                      QPointF(countX, y)});
        page.items.push_back(TextItem{QStringLiteral("%1枚").arg(totals.sheets[index]), rowFont,
                                      Qt::black, QPointF(sheetsX, y)});
        ++row;
    }
    return pages;
}

}  // namespace kirimo::printing
