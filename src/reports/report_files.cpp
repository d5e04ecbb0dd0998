#include "reports/report_files.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <string>

#include "core/picture_file.h"
#include "core/text_file.h"

namespace kirimo {

namespace {

// The one-character names by ColourNumber.
const std::array<QChar, kColourCount>& nameCharacters() {
    static const std::array<QChar, kColourCount> names = [] {
        std::array<QChar, kColourCount> characters{};
        for (int k = 0; k < kColourCount; ++k)
            characters[static_cast<size_t>(k)] = colourName(k).at(0);
        return characters;
    }();
    return names;
}

// Empty chart lines of the report: the rows of the last sheet row that lie below the
// picture, in every column.
int64_t emptyChartLines(const SheetGrid& grid) {
    const int64_t charted = int64_t{grid.rows()} * grid.sheetSize().height;
    return int64_t{grid.columns()} * (charted - grid.pictureHeight());
}

}  // namespace

Result<ColourNumberMap> mapColourNumbers(const PixelBuffer& pixels, const ColourTable& table) {
    return ColourNumberMap::create(
        pixels, [&table](Pixel p) { return getColorNumber(pixelToColourValue(p), table); });
}

QString sheetHeading(int column, int row) {
    return QStringLiteral("＜横%1枚目、縦%2枚目＞").arg(column).arg(row);
}

QString countLine(const ColourCounts& counts) {
    QString line;
    for (int k = 0; k < kColourCount; ++k) {
        const int32_t count = counts[static_cast<size_t>(k)];
        if (count > 0) {
            line += nameCharacters()[static_cast<size_t>(k)];
            line += QStringLiteral("＝");
            line += QString::number(count);
            line += u',';
        }
    }
    return line;
}

QString csvHeader() {
    QString header = QStringLiteral("横,縦");
    for (QChar name : nameCharacters()) {
        header += u',';
        header += name;
    }
    return header;
}

Result<QStringList> textReportLines(const QString& settingsLine, const ColourNumberMap& map,
                                    const SheetGrid& grid) {
    if (map.width() != grid.pictureWidth() || map.height() != grid.pictureHeight()) {
        return makeError("the colour map (" + std::to_string(map.width()) + " x " +
                         std::to_string(map.height()) + ") and the sheet grid (" +
                         std::to_string(grid.pictureWidth()) + " x " +
                         std::to_string(grid.pictureHeight()) + ") are of different pictures");
    }
    const int64_t empty = emptyChartLines(grid);
    if (empty > kMaxEmptyChartLines) {
        const SheetSize size = grid.sheetSize();
        return makeError("sheet size " + std::to_string(size.width) + " x " +
                         std::to_string(size.height) + " would chart " + std::to_string(empty) +
                         " empty lines below the picture (at most " +
                         std::to_string(kMaxEmptyChartLines) + ")");
    }
    const auto& names = nameCharacters();
    const int sheetHeight = grid.sheetSize().height;
    QStringList lines;
    // Settings line, "<総計>" and totals; heading and count line per sheet; chart lines.
    lines.reserve(3 + qsizetype{grid.count()} * 2 +
                  qsizetype{grid.columns()} * grid.pictureHeight() + static_cast<qsizetype>(empty));
    lines.append(settingsLine);
    ColourCounts total{};
    for (const Sheet& sheet : grid.sheets()) {
        lines.append(sheetHeading(sheet.column, sheet.row));
        ColourCounts counts{};
        for (int dy = 0; dy < sheet.height; ++dy) {
            const uint8_t* numbers = map.row(sheet.y + dy) + sheet.x;
            QString chart(sheet.width, Qt::Uninitialized);
            for (int dx = 0; dx < sheet.width; ++dx) {
                const uint8_t k = numbers[dx];
                chart[dx] = names[k];
                ++counts[k];
            }
            lines.append(chart);
        }
        // Rows of a partial last sheet row that lie below the picture.
        for (int dy = sheet.height; dy < sheetHeight; ++dy)
            lines.append(QString());
        lines.append(countLine(counts));
        for (int k = 0; k < kColourCount; ++k)
            total[static_cast<size_t>(k)] += counts[static_cast<size_t>(k)];
    }
    lines.append(QStringLiteral("<総計>"));
    lines.append(countLine(total));
    return lines;
}

QStringList csvReportLines(const ColourNumberMap& map, const SheetGrid& grid) {
    QStringList lines;
    lines.reserve(1 + qsizetype{grid.count()});
    lines.append(csvHeader());
    for (const Sheet& sheet : grid.sheets()) {
        const ColourCounts counts = countSheet(map, sheet);
        QString line = QString::number(sheet.column) + u',' + QString::number(sheet.row);
        for (int32_t count : counts) {
            line += u',';
            line += QString::number(count);
        }
        lines.append(line);
    }
    return lines;
}

Result<ReportContents> prepareReportContents(const PixelBuffer& converted, const ColourTable& table,
                                             const QString& settingsLine, SheetSize sheetSize) {
    if (converted.empty())
        return makeError("the converted picture has no dots to report");
    auto grid = SheetGrid::create(converted.width(), converted.height(), sheetSize);
    if (!grid)
        return makeError(grid.error());
    auto map = mapColourNumbers(converted, table);
    if (!map)
        return makeError(map.error());
    auto text = textReportLines(settingsLine, *map, *grid);
    if (!text)
        return makeError(text.error());
    return ReportContents{std::move(*text), csvReportLines(*map, *grid)};
}

Result<void> checkReportBase(const QString& basePath) {
    const QFileInfo info(basePath);
    const QString name = info.fileName();
    if (basePath.isEmpty() || name.isEmpty() || name == QLatin1String(".") ||
        name == QLatin1String("..") || info.isDir()) {
        return makeError("the report name \"" + basePath.toStdString() +
                         "\" names no file: give a folder and a name, such as out/cat");
    }
    return {};
}

int64_t countNonTableDots(const PixelBuffer& pixels, const ColourTable& table) {
    std::array<Pixel, kColourCount> colours{};
    for (int k = 0; k < kColourCount; ++k)
        colours[static_cast<size_t>(k)] = colourValueToPixel(table[k].packed);
    std::sort(colours.begin(), colours.end());
    int64_t count = 0;
    const Pixel* p = pixels.data();
    Pixel last = colours[0];  // the last pixel found in the table
    for (size_t i = 0, n = pixels.size(); i < n; ++i) {
        if (p[i] == last)
            continue;
        if (std::binary_search(colours.begin(), colours.end(), p[i]))
            last = p[i];
        else
            ++count;
    }
    return count;
}

Result<void> writeReportContents(const QString& basePath, const ReportContents& contents,
                                 const PixelBuffer& converted) {
    if (auto base = checkReportBase(basePath); !base)
        return base;
    if (auto written = writeTextLines(basePath + QStringLiteral(".txt"), contents.textLines);
        !written)
        return written;
    if (auto written = writeTextLines(basePath + QStringLiteral(".csv"), contents.csvLines);
        !written)
        return written;
    return savePictureBmp(basePath + QStringLiteral(".bmp"), converted);
}

Result<void> writeReportFiles(const QString& basePath, const PixelBuffer& converted,
                              const ColourTable& table, const QString& settingsLine,
                              SheetSize sheetSize) {
    auto contents = prepareReportContents(converted, table, settingsLine, sheetSize);
    if (!contents)
        return makeError(contents.error());
    return writeReportContents(basePath, *contents, converted);
}

}  // namespace kirimo
