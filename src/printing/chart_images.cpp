#include "printing/chart_images.h"

#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>
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
constexpr int64_t kBmpHeaderBytes = 14 + 40;

// Millimetres measured on the surface back in its pixels; the tiny error of the round trip
// is removed so that a whole or half pixel stays one.
double toPixels(double mm) {
    return std::round(mm * kPixelsPerMm * 1e6) / 1e6;
}

QColor dotColour(Pixel p) {
    return QColor(pixelRed(p), pixelGreen(p), pixelBlue(p));
}

std::string megabytes(int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
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

struct ChartImages::State {
    const PixelBuffer* picture = nullptr;
    std::optional<SheetGrid> grid;
    ColourNumberMap map;
    ChartContext context;
    const SymbolSettings* symbols = nullptr;
    TextFont font;
    bool colour = false;
    int cw = 0;
    int ch = 0;
    int widthPx = 0;
    int heightPx = 0;
    int nextSheet = 0;
    std::array<QStringList, kColourCount> candidates;
    std::array<bool, kColourCount> known{};
    QHash<QString, TextExtent> extents;  // in pixels

    Page page(const Sheet& sheet);
};

Page ChartImages::State::page(const Sheet& sheet) {
    Page page;
    // Dots beyond the surface would be cut off: they are left out.
    const int across = std::min(sheet.width, widthPx / cw);
    const int down = std::min(sheet.height, heightPx / ch);
    for (int dy = 0; dy < down; ++dy) {
        const Pixel* pixels = picture->row(sheet.y + dy) + sheet.x;
        const uint8_t* numbers = map.row(sheet.y + dy) + sheet.x;
        for (int dx = 0; dx < across; ++dx) {
            const int k = numbers[dx];
            if (k == kWhite)
                continue;
            if (!known[k]) {
                candidates[k] = enabledCandidates(symbols->colours[k]);
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
                size = extents.insert(text, TextExtent{toPixels(mm.width), toPixels(mm.height)});
            }
            const double x = dx * cw + (cw - size->width) / 2;
            const double y = dy * ch + (ch - size->height) / 2;
            page.items.push_back(TextItem{text, font,
                                          colour ? dotColour(pixels[dx]) : QColor(Qt::black),
                                          QPointF(x / kPixelsPerMm, y / kPixelsPerMm)});
        }
    }
    return page;
}

ChartImages::ChartImages(std::unique_ptr<State> state) : state_(std::move(state)) {}
ChartImages::ChartImages(ChartImages&&) noexcept = default;
ChartImages& ChartImages::operator=(ChartImages&&) noexcept = default;
ChartImages::~ChartImages() = default;

Result<ChartImages> ChartImages::create(const PixelBuffer& picture, SheetSize sheetSize,
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

    auto state = std::make_unique<State>();
    state->picture = &picture;
    state->grid = *grid;
    state->map = std::move(*map);
    state->context = context;
    state->symbols = &symbols;
    state->font = font;
    state->colour = colour;
    state->cw = cw;
    state->ch = ch;
    state->widthPx = static_cast<int>(widthPx);
    state->heightPx = static_cast<int>(heightPx);
    return ChartImages(std::move(state));
}

int ChartImages::widthPx() const {
    return state_->widthPx;
}

int ChartImages::heightPx() const {
    return state_->heightPx;
}

QSizeF ChartImages::paperSizeMm() const {
    return QSizeF(state_->widthPx / kPixelsPerMm, state_->heightPx / kPixelsPerMm);
}

int ChartImages::count() const {
    return state_->grid->count();
}

QString ChartImages::suffix(int index) const {
    const Sheet sheet = state_->grid->sheet(index);
    return QStringLiteral("(%1,%2).bmp").arg(sheet.column).arg(sheet.row);
}

int64_t ChartImages::fileBytes() const {
    const int64_t rowBytes = (int64_t{state_->widthPx} * 3 + 3) / 4 * 4;
    return kBmpHeaderBytes + rowBytes * state_->heightPx;
}

std::optional<Page> ChartImages::next() {
    State& s = *state_;
    if (s.nextSheet >= s.grid->count())
        return std::nullopt;
    return s.page(s.grid->sheet(s.nextSheet++));
}

Result<ChartImagePlan> planChartImages(const PixelBuffer& picture, SheetSize sheetSize,
                                       PageOrientation orientation, bool colour,
                                       const ChartContext& context) {
    auto made = ChartImages::create(picture, sheetSize, orientation, colour, context);
    if (!made)
        return makeError(made.error());
    ChartImagePlan images;
    images.widthPx = made->widthPx();
    images.heightPx = made->heightPx();
    images.plan.paperSizeMm = made->paperSizeMm();
    images.plan.orientation = PageOrientation::Portrait;
    for (int index = 0; auto page = made->next(); ++index) {
        images.plan.pages.push_back(std::move(*page));
        images.suffixes.append(made->suffix(index));
    }
    return images;
}

Result<void> checkChartImagesFit(const ChartImages& images, const QString& base) {
    const int64_t count = images.count();
    if (count > kMaxChartImages) {
        return makeError("the chart images would be " + std::to_string(count) +
                         " files, more than the " + std::to_string(kMaxChartImages) +
                         " one run may write: choose larger sheets");
    }
    const int64_t needed = count * images.fileBytes();
    const QString folder = QFileInfo(base).absolutePath();
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return {};
    const int64_t available = storage.bytesAvailable();
    if (available >= 0 && needed > available) {
        return makeError("the chart images would be " + std::to_string(count) + " files of " +
                         megabytes(images.fileBytes()) + " each, " + megabytes(needed) +
                         " in all, but \"" + folder.toStdString() + "\" has only " +
                         megabytes(available) + " free: choose larger sheets or another folder");
    }
    return {};
}

namespace {

// "a, b and c", or the first and last of many with their number.
std::string namesOf(const QStringList& paths) {
    if (paths.size() > 10) {
        return std::to_string(paths.size()) + " files from \"" + paths.first().toStdString() +
               "\" to \"" + paths.last().toStdString() + "\"";
    }
    std::string names;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (i > 0)
            names += i + 1 == paths.size() ? " and " : ", ";
        names += "\"" + paths[i].toStdString() + "\"";
    }
    return names;
}

// Saves one image, or says why not, naming the files written before it.
Result<void> saveOne(const Page& page, int widthPx, int heightPx, const QString& path,
                     const QStringList& written) {
    const QImage image = renderPageImage(page, widthPx, heightPx, kChartImageDotsPerInch);
    Result<void> saved =
        image.isNull()
            ? Result<void>(makeError("cannot write \"" + path.toStdString() + "\": out of memory"))
            : savePictureBmp(path, image);
    if (saved || written.isEmpty())
        return saved;
    return makeError(saved.error() + " (written before it, and kept: " + namesOf(written) + ")");
}

}  // namespace

Result<QStringList> saveChartImages(ChartImages& images, const QString& base,
                                    const std::function<void(const QString&)>& saved) {
    QStringList written;
    for (int index = 0; auto page = images.next(); ++index) {
        const QString path = base + images.suffix(index);
        if (auto one = saveOne(*page, images.widthPx(), images.heightPx(), path, written); !one)
            return makeError(one.error());
        written.append(path);
        if (saved)
            saved(path);
    }
    return written;
}

Result<QStringList> saveChartImages(const ChartImagePlan& images, const QString& base) {
    QStringList written;
    for (size_t i = 0; i < images.plan.pages.size(); ++i) {
        const QString path = base + images.suffixes.value(static_cast<qsizetype>(i));
        if (auto one =
                saveOne(images.plan.pages[i], images.widthPx, images.heightPx, path, written);
            !one) {
            return makeError(one.error());
        }
        written.append(path);
    }
    return written;
}

}  // namespace kirimo::printing
