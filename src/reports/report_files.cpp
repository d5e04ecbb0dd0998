#include "reports/report_files.h"

#include <QFileInfo>
#include <QIODevice>
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

// Lines encoded and written with CR LF as they are produced, a block at a time, into a
// file replaced whole or not at all.
Result<void> writeReportLines(const QString& path,
                              const std::function<bool(const ReportLineSink&)>& produce) {
    return writeFileAtomically(path, [&](QIODevice& device) {
        constexpr qsizetype kBlockBytes = 1 << 16;
        QByteArray block;
        block.reserve(kBlockBytes + 4096);
        auto flush = [&] {
            const bool whole = device.write(block) == block.size();
            block.truncate(0);
            return whole;
        };
        const bool produced = produce([&](const QString& line) {
            block += encodeLine(line);
            block += "\r\n";
            return block.size() < kBlockBytes || flush();
        });
        return produced && flush();
    });
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

Result<void> checkTextReport(const ColourNumberMap& map, const SheetGrid& grid) {
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
    return {};
}

bool forEachTextReportLine(const QString& settingsLine, const ColourNumberMap& map,
                           const SheetGrid& grid, const ReportLineSink& line) {
    const auto& names = nameCharacters();
    const int sheetHeight = grid.sheetSize().height;
    if (!line(settingsLine))
        return false;
    ColourCounts total{};
    QString chart;
    for (int index = 0; index < grid.count(); ++index) {
        const Sheet sheet = grid.sheet(index);
        if (!line(sheetHeading(sheet.column, sheet.row)))
            return false;
        ColourCounts counts{};
        chart.resize(sheet.width);
        for (int dy = 0; dy < sheet.height; ++dy) {
            const uint8_t* numbers = map.row(sheet.y + dy) + sheet.x;
            QChar* out = chart.data();
            for (int dx = 0; dx < sheet.width; ++dx) {
                const uint8_t k = numbers[dx];
                out[dx] = names[k];
                ++counts[k];
            }
            if (!line(chart))
                return false;
        }
        // Rows of a partial last sheet row that lie below the picture.
        for (int dy = sheet.height; dy < sheetHeight; ++dy) {
            if (!line(QString()))
                return false;
        }
        if (!line(countLine(counts)))
            return false;
        for (int k = 0; k < kColourCount; ++k)
            total[static_cast<size_t>(k)] += counts[static_cast<size_t>(k)];
    }
    return line(QStringLiteral("<総計>")) && line(countLine(total));
}

bool forEachCsvReportLine(const ColourNumberMap& map, const SheetGrid& grid,
                          const ReportLineSink& line) {
    if (!line(csvHeader()))
        return false;
    for (int index = 0; index < grid.count(); ++index) {
        const Sheet sheet = grid.sheet(index);
        const ColourCounts counts = countSheet(map, sheet);
        QString text = QString::number(sheet.column) + u',' + QString::number(sheet.row);
        for (int32_t count : counts) {
            text += u',';
            text += QString::number(count);
        }
        if (!line(text))
            return false;
    }
    return true;
}

Result<QStringList> textReportLines(const QString& settingsLine, const ColourNumberMap& map,
                                    const SheetGrid& grid) {
    if (auto checked = checkTextReport(map, grid); !checked)
        return makeError(checked.error());
    QStringList lines;
    forEachTextReportLine(settingsLine, map, grid, [&](const QString& text) {
        lines.append(text);
        return true;
    });
    return lines;
}

QStringList csvReportLines(const ColourNumberMap& map, const SheetGrid& grid) {
    QStringList lines;
    forEachCsvReportLine(map, grid, [&](const QString& text) {
        lines.append(text);
        return true;
    });
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
    if (auto checked = checkTextReport(*map, *grid); !checked)
        return makeError(checked.error());
    QStringList beads = beadReportLines(*map, *grid, table);
    return ReportContents{settingsLine, std::move(*map), *grid, std::move(beads)};
}

QStringList beadReportLines(const ColourNumberMap& map, const SheetGrid& grid,
                            const ColourTable& table) {
    if (table.colourSetId().isEmpty())
        return {};
    const ColourCounts counts = countPicture(map);
    std::array<int64_t, kColourCount> sheets{};
    for (int i = 0; i < grid.count(); ++i) {
        const ColourCounts inSheet = countSheet(map, grid.sheet(i));
        for (int k = 0; k < kColourCount; ++k)
            sheets[static_cast<size_t>(k)] += inSheet[static_cast<size_t>(k)] > 0 ? 1 : 0;
    }
    QStringList lines{QStringLiteral("番号,色,ｺｰﾄﾞ,ﾋﾞｰｽﾞ,数,枚数")};
    for (int k = 0; k < kColourCount; ++k) {
        const auto& bead = table.bead(k);
        if (counts[static_cast<size_t>(k)] <= 0 || !bead)
            continue;
        lines << QStringList{QString::number(k),
                             colourName(k),
                             bead->code,
                             bead->name,
                             QString::number(counts[static_cast<size_t>(k)]),
                             QString::number(sheets[static_cast<size_t>(k)])}
                     .join(u',');
    }
    return lines;
}

QString beadReportPath(const QString& basePath) {
    return basePath + QStringLiteral("_beads.csv");
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
    const SheetGrid& grid = *contents.grid;
    if (auto written = writeReportLines(basePath + QStringLiteral(".txt"),
                                        [&](const ReportLineSink& line) {
                                            return forEachTextReportLine(contents.settingsLine,
                                                                         contents.map, grid, line);
                                        });
        !written)
        return written;
    if (auto written = writeReportLines(basePath + QStringLiteral(".csv"),
                                        [&](const ReportLineSink& line) {
                                            return forEachCsvReportLine(contents.map, grid, line);
                                        });
        !written)
        return written;
    if (auto saved = savePictureBmp(basePath + QStringLiteral(".bmp"), converted); !saved)
        return saved;
    if (contents.beadLines.isEmpty())
        return {};
    return writeTextLines(beadReportPath(basePath), contents.beadLines);
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
