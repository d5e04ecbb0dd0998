#include "printing/chart_plan.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/picture_file.h"
#include "core/symbol_slots.h"
#include "imaging/numeric.h"
#include "printing/chart_extras.h"
#include "reports/report_files.h"

namespace kirimo::printing {

namespace {

constexpr int kWhite = 1;  // ColourNumber of 白
constexpr Pixel kWhitePixel = 0xFFFFFF;
constexpr double kPictureInsetMm = 0.2;
constexpr int kSizingLength = 18;  // characters in kSizingString

QColor dotColour(Pixel p) {
    return QColor(pixelRed(p), pixelGreen(p), pixelBlue(p));
}

// floor(r x n) for a random r, kept inside 0 ... n - 1 whatever the source returns (0 for
// n below 2; a number is drawn all the same).
int randomIndex(const RandomSource& random, int n) {
    const double r = random();
    const double scaled = std::floor(r * n);
    if (n < 2 || !(scaled >= 0))
        return 0;
    return scaled >= n ? n - 1 : static_cast<int>(scaled);
}

// Text extents in one font, measured once per distinct text.
class ExtentCache {
  public:
    ExtentCache(const TextMeasure& measure, TextFont font) : measure_(measure), font_(font) {}

    TextExtent operator()(const QString& text) {
        auto found = cache_.constFind(text);
        if (found != cache_.constEnd())
            return *found;
        return *cache_.insert(text, measure_(font_, text));
    }

  private:
    const TextMeasure& measure_;
    TextFont font_;
    QHash<QString, TextExtent> cache_;
};

// What each colour offers, worked out when the colour first turns up.
class ColourChoices {
  public:
    explicit ColourChoices(const SymbolSettings& symbols) : symbols_(symbols) {}

    const QStringList& candidates(int k) {
        if (!candidatesDone_[k]) {
            candidates_[k] = enabledCandidates(symbols_.colours[k]);
            candidatesDone_[k] = true;
        }
        return candidates_[k];
    }

    const QStringList& pictures(int k) {
        if (!picturesDone_[k]) {
            pictures_[k] = usedPictures(symbols_.colours[k]);
            picturesDone_[k] = true;
        }
        return pictures_[k];
    }

    // A candidate chosen uniformly at random, "." without candidates (no number drawn).
    QString chooseCharacter(int k, const RandomSource& random) {
        const QStringList& list = candidates(k);
        if (list.isEmpty())
            return QStringLiteral(".");
        return list[randomIndex(random, static_cast<int>(list.size()))];
    }

  private:
    const SymbolSettings& symbols_;
    std::array<QStringList, kColourCount> candidates_;
    std::array<QStringList, kColourCount> pictures_;
    std::array<bool, kColourCount> candidatesDone_{};
    std::array<bool, kColourCount> picturesDone_{};
};

bool sheetIsAllWhite(const ColourNumberMap& map, const Sheet& sheet) {
    for (int y = sheet.y; y < sheet.y + sheet.height; ++y) {
        const uint8_t* row = map.row(y);
        for (int x = sheet.x; x < sheet.x + sheet.width; ++x) {
            if (row[x] != kWhite)
                return false;
        }
    }
    return true;
}

std::string checkContext(const ChartContext& context, bool needsLoader) {
    if (context.colourTable == nullptr)
        return "no colour table was given";
    if (context.symbols == nullptr)
        return "no colour symbol settings were given";
    if (!context.measure)
        return "no text measure was given";
    if (!context.random)
        return "no random source was given";
    if (needsLoader && !context.loadPicture)
        return "no picture loader was given";
    return {};
}

}  // namespace

QSizeF chartPageSizeMm(PageOrientation orientation) {
    const QSizeF portrait(kA4ShortSideMm, kA4LongSideMm);
    return orientation == PageOrientation::Landscape ? portrait.transposed() : portrait;
}

CellSize largestCellSize(SheetSize sheet, PageOrientation orientation) {
    const QSizeF page = chartPageSizeMm(orientation);
    const int pageWidth = static_cast<int>(page.width());
    const int pageHeight = static_cast<int>(page.height());
    return CellSize{sheet.width >= kSheetSideMin ? pageWidth / sheet.width : 0,
                    sheet.height >= kSheetSideMin ? pageHeight / sheet.height : 0};
}

QStringList pageListLabels(int pictureWidth, int pictureHeight, SheetSize sheet) {
    QStringList labels;
    auto grid = SheetGrid::create(pictureWidth, pictureHeight, sheet);
    if (!grid)
        return labels;
    labels.reserve(grid->count());
    for (int row = 1; row <= grid->rows(); ++row) {
        for (int column = 1; column <= grid->columns(); ++column)
            labels.append(QStringLiteral("(%1,%2)").arg(column).arg(row));
    }
    return labels;
}

ChartCheck checkChartSize(CellSize cell, CellSize largest) {
    if (cell.width == 0 || cell.height == 0)
        return ChartCheck::ZeroCell;
    if (cell.width > largest.width)
        return ChartCheck::TooWide;
    if (cell.height > largest.height)
        return ChartCheck::TooTall;
    return ChartCheck::Ok;
}

ChartCheckMessage chartCheckMessage(ChartCheck check) {
    switch (check) {
        case ChartCheck::Ok:
            break;
        case ChartCheck::ZeroCell:
            return {QStringLiteral("ｴﾗｰ"),
                    QStringLiteral("区切り線が引けません。１枚分のdot数を調整して下さい"), false};
        case ChartCheck::TooWide:
            return {QStringLiteral("ｻｲｽﾞｴﾗｰ"), QStringLiteral("横がはみ出ます"), true};
        case ChartCheck::TooTall:
            return {QStringLiteral("ｻｲｽﾞｴﾗｰ"), QStringLiteral("縦がはみ出ます"), true};
    }
    return {};
}

QString symbolFontFamily(const SymbolSettings& symbols, const QString& fallbackFamily) {
    return symbols.fontName.isEmpty() ? fallbackFamily : symbols.fontName;
}

QStringList enabledCandidates(const ColourSymbols& symbols) {
    QStringList candidates;
    const QStringList flags = symbols.flags.split(QLatin1Char(','));
    const QStringList characters = candidateCharacters(symbols.characters);
    const qsizetype count = std::min(flags.size(), characters.size());
    for (qsizetype i = 0; i < count && candidates.size() < kMaxCandidates; ++i) {
        // Each element read alone, by the one rule for flag lists.
        if (flagIsUsed(flags[i], 0))
            candidates.append(characters[i]);
    }
    return candidates;
}

QStringList usedPictures(const ColourSymbols& symbols) {
    QStringList paths;
    for (const PictureSlot& slot : symbols.pictures) {
        if (!slot.isFree() && slot.used)
            paths.append(slot.path);
    }
    return paths;
}

int labelHeightMm(const TextMeasure& measure) {
    const TextExtent extent =
        measure(TextFont{QString::fromUtf8(kLabelFontFamily), kLabelPointSize, false, false},
                QStringLiteral("(0,0)"));
    return static_cast<int>(roundHalfEven(extent.height));
}

int characterPointSize(const TextMeasure& measure, const TextFont& symbolFont, int cellWidth,
                       bool fillCell) {
    const QString sizing = QString::fromUtf8(kSizingString);
    const double target = static_cast<double>(kSizingLength) * cellWidth;
    int size = 1;
    for (; size < kMaxSearchPointSize; ++size) {
        TextFont font = symbolFont;
        font.pointSize = size;
        if (measure(font, sizing).width >= target)
            break;
    }
    const double full = roundHalfEven((size - 1) * 0.9);
    return static_cast<int>(fillCell ? full : roundHalfEven(full / 2));
}

RandomSource uniformRandom(std::mt19937& engine) {
    return [&engine] { return static_cast<double>(engine()) / 4294967296.0; };
}

PictureLoader filePictureLoader() {
    return [](const QString& path) {
        auto image = loadPictureImage(path);
        return image ? *image : QImage();
    };
}

Result<PagePlan> planChart(const PixelBuffer& picture, SheetSize sheetSize,
                           const ChartOptions& options, const ChartContext& context) {
    if (const std::string missing = checkContext(context, options.usage == UsageMode::Pictures);
        !missing.empty()) {
        return makeError(missing);
    }
    if (picture.empty())
        return makeError("the picture has no dots");
    auto grid = SheetGrid::create(picture.width(), picture.height(), sheetSize);
    if (!grid)
        return makeError(grid.error());
    const CellSize cell = options.cell;
    if (const ChartCheck check =
            checkChartSize(cell, largestCellSize(sheetSize, options.orientation));
        check != ChartCheck::Ok) {
        return makeError(chartCheckMessage(check).text.toStdString());
    }
    auto map = mapColourNumbers(picture, *context.colourTable);
    if (!map)
        return makeError(map.error());

    const SymbolSettings& symbols = *context.symbols;
    const TextMeasure& measure = context.measure;
    const RandomSource& random = context.random;
    const double labelH = labelHeightMm(measure);
    const TextFont labelFont{symbolFontFamily(symbols, context.fallbackFontFamily), kLabelPointSize,
                             symbols.bold != 0, symbols.italic != 0};
    TextFont cellFont = labelFont;
    cellFont.pointSize = characterPointSize(measure, labelFont, cell.width, options.fillCell);
    ExtentCache extent(measure, cellFont);
    ColourChoices choices(symbols);
    QHash<QString, QImage> loaded;
    // The picture each colour printed last, for this run only.
    std::array<int, kColourCount> previousPicture;
    previousPicture.fill(-1);

    auto centredText = [&](Page& page, const QString& text, QColor colour, int dx, int dy) {
        const TextExtent size = extent(text);
        page.items.push_back(
            TextItem{text, cellFont, colour,
                     QPointF(dx * cell.width + (cell.width - size.width) / 2,
                             labelH + dy * cell.height + (cell.height - size.height) / 2)});
    };

    PagePlan plan;
    plan.orientation = options.orientation;
    ChartTotals totals;
    if (options.cover || options.legend)
        totals = chartTotals(*map, *grid);
    if (options.cover) {
        plan.pages.push_back(coverPage(picture, *grid, totals, *context.colourTable,
                                       context.pictureName, plan.pageSizeMm(), measure));
    }
    const bool labelled = grid->count() >= 2;
    const std::vector<Sheet> sheets = grid->sheets();
    for (size_t index = 0; index < sheets.size(); ++index) {
        const Sheet& sheet = sheets[index];
        if (options.printOnlyChecked &&
            !(index < options.checkedPages.size() && options.checkedPages[index])) {
            continue;
        }
        if (options.skipWhitePages && sheetIsAllWhite(*map, sheet))
            continue;

        Page page;
        if (labelled) {
            page.items.push_back(
                TextItem{QStringLiteral("(%1,%2)").arg(sheet.column).arg(sheet.row), labelFont,
                         Qt::black, QPointF(0, 0)});
        }
        if (options.lines) {
            const double right = static_cast<double>(sheetSize.width) * cell.width;
            const double bottom = labelH + static_cast<double>(sheetSize.height) * cell.height;
            auto width = [&options](int line) {
                return options.boldEvery > 0 && line % options.boldEvery == 0 ? kBoldLineWidthMm
                                                                              : 0.0;
            };
            for (int j = 0; j <= sheetSize.height; ++j) {
                const double y = labelH + static_cast<double>(j) * cell.height;
                page.items.push_back(LineItem{QPointF(0, y), QPointF(right, y), options.lineStyle,
                                              width(j), Qt::black});
            }
            for (int i = 0; i <= sheetSize.width; ++i) {
                const double x = static_cast<double>(i) * cell.width;
                page.items.push_back(LineItem{QPointF(x, labelH), QPointF(x, bottom),
                                              options.lineStyle, width(i), Qt::black});
            }
        }
        // Cells outside the picture stay empty, so only the part inside is visited.
        for (int dy = 0; dy < sheet.height; ++dy) {
            const Pixel* pixels = picture.row(sheet.y + dy) + sheet.x;
            const uint8_t* numbers = map->row(sheet.y + dy) + sheet.x;
            for (int dx = 0; dx < sheet.width; ++dx) {
                const Pixel p = pixels[dx];
                const int k = numbers[dx];
                if (options.usage == UsageMode::Characters) {
                    if (k == kWhite && options.noWhite)
                        continue;
                    const QString text = choices.chooseCharacter(k, random);
                    const bool colourText = options.colour && k != kWhite;
                    centredText(page, text, colourText ? dotColour(p) : QColor(Qt::black), dx, dy);
                    continue;
                }
                const QStringList& paths = choices.pictures(k);
                const int n = static_cast<int>(paths.size());
                if (n == 0) {
                    if (options.noWhite)
                        continue;
                    const bool colourText = options.colour && p != kWhitePixel;
                    centredText(page, colourName(k), colourText ? dotColour(p) : QColor(Qt::black),
                                dx, dy);
                    continue;
                }
                int chosen = 0;
                if (previousPicture[k] < 0)
                    chosen = randomIndex(random, n);
                else
                    chosen = (randomIndex(random, n - 1) + previousPicture[k] + 1) % n;
                previousPicture[k] = chosen;
                const QString& path = paths[chosen];
                auto found = loaded.constFind(path);
                if (found == loaded.constEnd())
                    found = loaded.insert(path, context.loadPicture(path));
                if (found->isNull())
                    continue;  // a file that cannot be loaded leaves its cell empty
                page.items.push_back(PictureItem{
                    *found, QRectF(dx * cell.width, labelH + dy * cell.height,
                                   cell.width - kPictureInsetMm, cell.height - kPictureInsetMm)});
            }
        }
        plan.pages.push_back(std::move(page));
    }
    if (options.legend) {
        std::array<LegendSymbols, kColourCount> legendSymbols;
        for (int k = 0; k < kColourCount; ++k) {
            if (totals.counts[static_cast<size_t>(k)] <= 0)
                continue;
            LegendSymbols& own = legendSymbols[static_cast<size_t>(k)];
            if (options.usage == UsageMode::Characters) {
                own.characters = choices.candidates(k);
                continue;
            }
            for (const QString& path : choices.pictures(k)) {
                auto found = loaded.constFind(path);
                if (found == loaded.constEnd())
                    found = loaded.insert(path, context.loadPicture(path));
                if (!found->isNull())
                    own.pictures.push_back(*found);
            }
            if (choices.pictures(k).isEmpty())
                own.characters = QStringList{colourName(k)};
        }
        for (Page& page : legendPages(totals, *context.colourTable, legendSymbols, labelFont,
                                      plan.pageSizeMm(), measure)) {
            plan.pages.push_back(std::move(page));
        }
    }
    return plan;
}

}  // namespace kirimo::printing
