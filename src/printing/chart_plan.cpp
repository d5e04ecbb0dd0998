#include "printing/chart_plan.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/picture_file.h"
#include "core/symbol_slots.h"
#include "imaging/numeric.h"
#include "printing/chart_extras.h"
#include "printing/page_source.h"
#include "reports/report_files.h"

namespace kirimo::printing {

namespace {

constexpr int kWhite = 1;  // ColourNumber of 白
constexpr Pixel kWhitePixel = 0xFFFFFF;
constexpr double kPictureInsetMm = 0.2;
constexpr int kSizingLength = 18;  // characters in kSizingString
constexpr const char* kChartPagesAdvice = "choose larger sheets, or print fewer of them";

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
    ExtentCache(const TextMeasure& measure, TextFont font) : measure_(&measure), font_(font) {}

    TextExtent operator()(const QString& text) {
        auto found = cache_.constFind(text);
        if (found != cache_.constEnd())
            return *found;
        return *cache_.insert(text, (*measure_)(font_, text));
    }

  private:
    const TextMeasure* measure_;
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

QSizeF printableAreaMm(const ChartOptions& options) {
    return options.printableMm.isEmpty() ? chartPageSizeMm(options.orientation)
                                         : options.printableMm;
}

QColor contrastingTextColour(const QColor& fill) {
    const auto linear = [](int component) {
        const double c = component / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance =
        0.2126 * linear(fill.red()) + 0.7152 * linear(fill.green()) + 0.0722 * linear(fill.blue());
    const double onBlack = (luminance + 0.05) / 0.05;
    const double onWhite = 1.05 / (luminance + 0.05);
    return onBlack >= onWhite ? QColor(Qt::black) : QColor(Qt::white);
}

CellSize largestCellSize(SheetSize sheet, QSizeF printableMm, int labelHeightMm) {
    const int width = static_cast<int>(std::floor(printableMm.width()));
    const int height = static_cast<int>(std::floor(printableMm.height() - labelHeightMm));
    const auto fit = [](int room, int side) {
        return side >= kSheetSideMin && room > 0 ? room / side : 0;
    };
    return CellSize{fit(width, sheet.width), fit(height, sheet.height)};
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

// Everything a chart's pages are made from, and where the making has got to.
struct ChartPages::State {
    State(const PixelBuffer& dots, const SheetGrid& sheets, ColourNumberMap numbers,
          const ChartOptions& chosen, const ChartContext& given)
        : picture(dots),
          grid(sheets),
          map(std::move(numbers)),
          options(chosen),
          context(given),
          labelH(labelHeightMm(context.measure)),
          labelFont{symbolFontFamily(*context.symbols, context.fallbackFontFamily), kLabelPointSize,
                    context.symbols->bold != 0, context.symbols->italic != 0},
          cellFont(labelFont),
          extent(context.measure, cellFont),
          choices(*context.symbols) {
        cellFont.pointSize =
            characterPointSize(context.measure, labelFont, options.cell.width, options.fillCell);
        extent = ExtentCache(context.measure, cellFont);
        previousPicture.fill(-1);
    }

    bool keeps(int index) const {
        if (options.printOnlyChecked &&
            !(static_cast<size_t>(index) < options.checkedPages.size() &&
              options.checkedPages[static_cast<size_t>(index)])) {
            return false;
        }
        return !(options.skipWhitePages && sheetIsAllWhite(map, grid.sheet(index)));
    }

    const QImage& loadedPicture(const QString& path) {
        auto found = loaded.constFind(path);
        if (found == loaded.constEnd())
            found = loaded.insert(path, context.loadPicture(path));
        return *found;
    }

    Page sheetPage(const Sheet& sheet);
    std::vector<Page> legend();

    const PixelBuffer& picture;
    const SheetGrid grid;
    const ColourNumberMap map;
    const ChartOptions options;
    const ChartContext context;
    const double labelH;
    const TextFont labelFont;
    TextFont cellFont;
    ExtentCache extent;
    ColourChoices choices;
    QHash<QString, QImage> loaded;
    // The picture each colour printed last, for this run only.
    std::array<int, kColourCount> previousPicture{};
    ChartTotals totals;

    int64_t pageCount = 0;
    bool coverDone = false;
    int nextSheet = 0;  // the sheet index to look at next
    bool legendMade = false;
    std::vector<Page> legendLeft;  // legend pages not handed out yet, in reverse order
};

Page ChartPages::State::sheetPage(const Sheet& sheet) {
    const CellSize cell = options.cell;
    const SheetSize sheetSize = grid.sheetSize();
    auto centredText = [&](Page& page, const QString& text, QColor colour, int dx, int dy) {
        const TextExtent size = extent(text);
        page.items.push_back(
            TextItem{text, cellFont, colour,
                     QPointF(dx * cell.width + (cell.width - size.width) / 2,
                             labelH + dy * cell.height + (cell.height - size.height) / 2)});
    };

    Page page;
    if (grid.count() >= 2) {
        page.items.push_back(TextItem{QStringLiteral("(%1,%2)").arg(sheet.column).arg(sheet.row),
                                      labelFont, Qt::black, QPointF(0, 0)});
    }
    // Filled cells go under the grid and the characters.
    const bool fill = options.fillColour && options.usage == UsageMode::Characters;
    if (fill) {
        for (int dy = 0; dy < sheet.height; ++dy) {
            const Pixel* pixels = picture.row(sheet.y + dy) + sheet.x;
            const uint8_t* numbers = map.row(sheet.y + dy) + sheet.x;
            for (int dx = 0; dx < sheet.width; ++dx) {
                if (numbers[dx] == kWhite)
                    continue;
                page.items.push_back(FilledRectItem{
                    QRectF(dx * cell.width, labelH + dy * cell.height, cell.width, cell.height),
                    dotColour(pixels[dx])});
            }
        }
    }
    if (options.lines) {
        const double right = static_cast<double>(sheetSize.width) * cell.width;
        const double bottom = labelH + static_cast<double>(sheetSize.height) * cell.height;
        auto width = [this](int line) {
            return options.boldEvery > 0 && line % options.boldEvery == 0 ? kBoldLineWidthMm : 0.0;
        };
        for (int j = 0; j <= sheetSize.height; ++j) {
            const double y = labelH + static_cast<double>(j) * cell.height;
            page.items.push_back(
                LineItem{QPointF(0, y), QPointF(right, y), options.lineStyle, width(j), Qt::black});
        }
        for (int i = 0; i <= sheetSize.width; ++i) {
            const double x = static_cast<double>(i) * cell.width;
            page.items.push_back(LineItem{QPointF(x, labelH), QPointF(x, bottom), options.lineStyle,
                                          width(i), Qt::black});
        }
    }
    const RandomSource& random = context.random;
    // Cells outside the picture stay empty, so only the part inside is visited.
    for (int dy = 0; dy < sheet.height; ++dy) {
        const Pixel* pixels = picture.row(sheet.y + dy) + sheet.x;
        const uint8_t* numbers = map.row(sheet.y + dy) + sheet.x;
        for (int dx = 0; dx < sheet.width; ++dx) {
            const Pixel p = pixels[dx];
            const int k = numbers[dx];
            if (options.usage == UsageMode::Characters) {
                if (k == kWhite && options.noWhite)
                    continue;
                const QString text = choices.chooseCharacter(k, random);
                const bool colourText = options.colour && k != kWhite;
                const QColor ink = fill && k != kWhite ? contrastingTextColour(dotColour(p))
                                   : colourText        ? dotColour(p)
                                                       : QColor(Qt::black);
                centredText(page, text, ink, dx, dy);
                continue;
            }
            const QStringList& paths = choices.pictures(k);
            const int n = static_cast<int>(paths.size());
            if (n == 0) {
                if (options.noWhite)
                    continue;
                const bool colourText = options.colour && p != kWhitePixel;
                centredText(page, colourName(k), colourText ? dotColour(p) : QColor(Qt::black), dx,
                            dy);
                continue;
            }
            int chosen = 0;
            if (previousPicture[k] < 0)
                chosen = randomIndex(random, n);
            else
                chosen = (randomIndex(random, n - 1) + previousPicture[k] + 1) % n;
            previousPicture[k] = chosen;
            const QImage& image = loadedPicture(paths[chosen]);
            if (image.isNull())
                continue;  // a file that cannot be loaded leaves its cell empty
            page.items.push_back(PictureItem{
                image, QRectF(dx * cell.width, labelH + dy * cell.height,
                              cell.width - kPictureInsetMm, cell.height - kPictureInsetMm)});
        }
    }
    return page;
}

std::vector<Page> ChartPages::State::legend() {
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
            const QImage& image = loadedPicture(path);
            if (!image.isNull())
                own.pictures.push_back(image);
        }
        if (choices.pictures(k).isEmpty())
            own.characters = QStringList{colourName(k)};
    }
    return legendPages(totals, *context.colourTable, legendSymbols, labelFont,
                       printableAreaMm(options), context.measure);
}

ChartPages::ChartPages(std::unique_ptr<State> state) : state_(std::move(state)) {}
ChartPages::ChartPages(ChartPages&&) noexcept = default;
ChartPages& ChartPages::operator=(ChartPages&&) noexcept = default;
ChartPages::~ChartPages() = default;

Result<ChartPages> ChartPages::create(const PixelBuffer& picture, SheetSize sheetSize,
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
    if (const ChartCheck check = checkChartSize(
            options.cell,
            largestCellSize(sheetSize, printableAreaMm(options), labelHeightMm(context.measure)));
        check != ChartCheck::Ok) {
        return makeError(chartCheckMessage(check).text.toStdString());
    }
    // A chart beyond any use is refused before its dots are looked at, where the sheets
    // left out can be counted without them.
    const int64_t cover = options.cover ? 1 : 0;
    if (!options.skipWhitePages) {
        if (auto bound = checkPageCount(cover + chartSheetPages(*grid, options), "the chart",
                                        kChartPagesAdvice);
            !bound) {
            return makeError(bound.error());
        }
    }
    auto map = mapColourNumbers(picture, *context.colourTable);
    if (!map)
        return makeError(map.error());

    auto state = std::make_unique<State>(picture, *grid, std::move(*map), options, context);
    if (options.cover || options.legend)
        state->totals = chartTotals(state->map, state->grid);
    int64_t sheets = 0;
    if (options.skipWhitePages) {
        for (int index = 0; index < state->grid.count(); ++index)
            sheets += state->keeps(index) ? 1 : 0;
    } else {
        sheets = chartSheetPages(state->grid, options);
    }
    state->pageCount =
        cover + sheets +
        (options.legend ? legendPageCount(state->totals, printableAreaMm(options)) : 0);
    if (auto bound = checkPageCount(state->pageCount, "the chart", kChartPagesAdvice); !bound)
        return makeError(bound.error());
    return ChartPages(std::move(state));
}

QSizeF ChartPages::paperSizeMm() const {
    return QSizeF(kA4ShortSideMm, kA4LongSideMm);
}

PageOrientation ChartPages::orientation() const {
    return state_->options.orientation;
}

int64_t ChartPages::pageCount() const {
    return state_->pageCount;
}

std::optional<Page> ChartPages::next() {
    State& s = *state_;
    if (s.options.cover && !s.coverDone) {
        s.coverDone = true;
        return coverPage(s.picture, s.grid, s.totals, *s.context.colourTable, s.context.pictureName,
                         printableAreaMm(s.options), s.context.measure);
    }
    while (s.nextSheet < s.grid.count()) {
        const int index = s.nextSheet++;
        if (s.keeps(index))
            return s.sheetPage(s.grid.sheet(index));
    }
    if (s.options.legend && !s.legendMade) {
        s.legendMade = true;
        s.legendLeft = s.legend();
        std::reverse(s.legendLeft.begin(), s.legendLeft.end());
    }
    if (s.legendLeft.empty())
        return std::nullopt;
    Page page = std::move(s.legendLeft.back());
    s.legendLeft.pop_back();
    return page;
}

int64_t chartSheetPages(const SheetGrid& grid, const ChartOptions& options) {
    if (!options.printOnlyChecked)
        return grid.count();
    const size_t n = std::min(options.checkedPages.size(), static_cast<size_t>(grid.count()));
    return std::count(options.checkedPages.begin(),
                      options.checkedPages.begin() + static_cast<std::ptrdiff_t>(n), true);
}

Result<PagePlan> planChart(const PixelBuffer& picture, SheetSize sheetSize,
                           const ChartOptions& options, const ChartContext& context) {
    auto pages = ChartPages::create(picture, sheetSize, options, context);
    if (!pages)
        return makeError(pages.error());
    return collectPages(*pages);
}

}  // namespace kirimo::printing
