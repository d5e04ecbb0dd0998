#include "printing/page_renderer.h"

#include <QFontMetricsF>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "core/file_system.h"
#include "core/text_file.h"

namespace kirimo::printing {

namespace {

constexpr double kMmPerInch = 25.4;

// Dotted lines: dots and gaps of a fixed length on paper, whatever the device's
// resolution, so that they read as dotted on a 1200 dpi printer as on the screen.
constexpr double kDotLengthMm = 0.3;
constexpr double kDotGapMm = 0.6;

double pixelsPerMmX(const QPaintDevice& device) {
    return device.logicalDpiX() / kMmPerInch;
}

double pixelsPerMmY(const QPaintDevice& device) {
    return device.logicalDpiY() / kMmPerInch;
}

QPageLayout::Orientation qtOrientation(PageOrientation orientation) {
    return orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait;
}

QPageSize pageSizeOf(QSizeF paperSizeMm) {
    const QPageSize a4(QPageSize::A4);
    if (paperSizeMm == a4.size(QPageSize::Millimeter))
        return a4;
    return QPageSize(paperSizeMm, QPageSize::Millimeter);
}

// Passes every write on to the device it watches and remembers the first one that failed
// (with its errno), since a PDF writer does not look at what its writes return.
class WatchedDevice : public QIODevice {
  public:
    explicit WatchedDevice(QIODevice& target) : target_(target) {}

    bool failed() const { return failed_; }
    int failedErrno() const { return failedErrno_; }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (failed_)
            return -1;
        errno = 0;
        const qint64 written = target_.write(data, size);
        if (written != size) {
            failed_ = true;
            failedErrno_ = errno;
            return -1;
        }
        return written;
    }

  private:
    QIODevice& target_;
    bool failed_ = false;
    int failedErrno_ = 0;
};

// The page loop of renderPages; `stop` (when given) ends it early between pages.
Result<void> paintSource(PageSource& source, QPagedPaintDevice& device,
                         const std::function<bool()>& stop) {
    if (source.pageCount() <= 0)
        return {};
    QPainter painter;
    if (!painter.begin(&device))
        return makeError("the printer could not be opened");
    const double xScale = pixelsPerMmX(device);
    const double yScale = pixelsPerMmY(device);
    int64_t index = 0;
    while (std::optional<Page> page = source.next()) {
        if (index > 0 && !device.newPage()) {
            painter.end();
            return makeError("the printer could not start page " + std::to_string(index + 1));
        }
        paintPage(painter, *page, xScale, yScale);
        ++index;
        if (stop && stop())
            break;
    }
    if (!painter.end())
        return makeError("the printer could not finish the document");
    return {};
}

}  // namespace

QFont toQFont(const TextFont& font) {
    QFont qfont(font.family);
    if (font.pointSize > 0)
        qfont.setPointSizeF(font.pointSize);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    return qfont;
}

TextMeasure deviceTextMeasure(const QPaintDevice& device) {
    const QPaintDevice* target = &device;
    return [target](const TextFont& font, const QString& text) {
        if (font.pointSize <= 0)
            return TextExtent{};
        const QFontMetricsF metrics(toQFont(font), target);
        return TextExtent{metrics.horizontalAdvance(text) / pixelsPerMmX(*target),
                          metrics.height() / pixelsPerMmY(*target)};
    };
}

void applyPageSetup(QPagedPaintDevice& device, const PagePlan& plan, bool zeroMargins) {
    applyPageSetup(device, plan.paperSizeMm, plan.orientation, zeroMargins);
}

void applyPageSetup(QPagedPaintDevice& device, QSizeF paperSizeMm, PageOrientation orientation,
                    bool zeroMargins) {
    device.setPageSize(pageSizeOf(paperSizeMm));
    device.setPageOrientation(qtOrientation(orientation));
    if (zeroMargins)
        device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void paintPage(QPainter& painter, const Page& page, double pxPerMmX, double pxPerMmY) {
    painter.save();
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    auto point = [&](QPointF mm) { return QPointF(mm.x() * pxPerMmX, mm.y() * pxPerMmY); };
    auto rect = [&](const QRectF& mm) {
        return QRectF(point(mm.topLeft()), QSizeF(mm.width() * pxPerMmX, mm.height() * pxPerMmY));
    };
    for (const PageItem& item : page.items) {
        std::visit(
            [&](const auto& it) {
                using T = std::decay_t<decltype(it)>;
                if constexpr (std::is_same_v<T, TextItem>) {
                    if (it.font.pointSize <= 0 || it.text.isEmpty())
                        return;
                    const QFont font = toQFont(it.font);
                    painter.setFont(font);
                    const QFontMetricsF metrics(font, painter.device());
                    painter.setPen(it.colour);
                    const QPointF topLeft = point(it.position);
                    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), it.text);
                } else if constexpr (std::is_same_v<T, LineItem>) {
                    const double width = it.widthMm > 0 ? it.widthMm * pxPerMmX : 1.0;
                    QPen pen(it.colour, width);
                    pen.setCosmetic(false);
                    if (it.style == LineStyle::Dotted) {
                        pen.setCapStyle(Qt::FlatCap);
                        pen.setDashPattern({std::max(1.0, kDotLengthMm * pxPerMmX) / width,
                                            kDotGapMm * pxPerMmX / width});
                    }
                    painter.setPen(pen);
                    painter.drawLine(point(it.from), point(it.to));
                } else if constexpr (std::is_same_v<T, PictureItem>) {
                    if (!it.image.isNull())
                        painter.drawImage(rect(it.rect), it.image);
                } else {
                    painter.fillRect(rect(it.rect), it.fill);
                }
            },
            item);
    }
    painter.restore();
}

Result<void> renderPages(PageSource& source, QPagedPaintDevice& device) {
    return paintSource(source, device, {});
}

Result<void> renderPlan(const PagePlan& plan, QPagedPaintDevice& device) {
    PlanPages pages(plan);
    return renderPages(pages, device);
}

namespace {

// paintPdf, telling whether what failed was a write to the device (`writeFailed`), errno
// then being that write's.
// `layout`, when given, is a printer's page with its margins (the plan's origin at its
// printable area's corner); otherwise the pages have no margins.
Result<void> paintPdfOn(PageSource& source, QIODevice& device, const QString& title,
                        bool& writeFailed, const QPageLayout* layout = nullptr, int resolution = 0,
                        double marginMm = 0) {
    WatchedDevice watched(device);
    watched.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&watched);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Kirimo"));
        if (layout != nullptr) {
            if (resolution > 0)
                writer.setResolution(resolution);
            writer.setPageLayout(*layout);
        } else {
            applyPageSetup(writer, source.paperSizeMm(), source.orientation(), true);
            if (marginMm > 0) {
                const double points = std::ceil(marginMm / kMmPerInch * 72.0 - 1e-9);
                writer.setPageMargins(QMarginsF(points, points, points, points),
                                      QPageLayout::Point);
            }
        }
        // A failed write ends the painting: the rest could not be stored either.
        auto painted = paintSource(source, writer, [&] { return watched.failed(); });
        if (!painted && !watched.failed())
            return painted;
    }
    writeFailed = watched.failed();
    if (!writeFailed)
        return {};
    errno = watched.failedErrno();
    if (watched.failedErrno() != 0)
        return makeError(std::strerror(watched.failedErrno()));
    const QString reason = device.errorString();
    return makeError(reason.isEmpty() ? std::string("a write failed") : reason.toStdString());
}

}  // namespace

Result<void> paintPdf(PageSource& source, QIODevice& device, const QString& title) {
    bool writeFailed = false;
    return paintPdfOn(source, device, title, writeFailed);
}

double pdfMarginMm(double marginMm) {
    return std::ceil(marginMm / kMmPerInch * 72.0 - 1e-9) * kMmPerInch / 72.0;
}

namespace {

Result<void> writePdfFile(PageSource& source, const QString& path, const QString& title,
                          const QPageLayout* layout, int resolution, double marginMm) {
    const std::string name = quotedPath(path);
    if (source.pageCount() <= 0)
        return makeError("cannot write " + name + ": there is no page to print");
    std::string paintError;
    auto written = writeFileAtomically(path, [&](QIODevice& file) {
        bool writeFailed = false;
        auto painted = paintPdfOn(source, file, title, writeFailed, layout, resolution, marginMm);
        // A failed write is reported by writeFileAtomically, from errno; anything else
        // that stopped the painting is reported here.
        if (!painted && !writeFailed)
            paintError = painted.error();
        return painted.ok();
    });
    if (!written && !paintError.empty())
        return makeError("cannot write " + name + ": " + paintError);
    return written;
}

}  // namespace

Result<void> writePagesPdf(PageSource& source, const QString& path, const QString& title,
                           double marginMm) {
    return writePdfFile(source, path, title, nullptr, 0, marginMm);
}

Result<void> printPages(PageSource& source, QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return renderPages(source, printer);
    if (source.pageCount() <= 0)
        return {};
    const QPageLayout layout = printer.pageLayout();
    return writePdfFile(source, printer.outputFileName(), printer.docName(), &layout,
                        printer.resolution(), 0);
}

Result<void> writePlanPdf(const PagePlan& plan, const QString& path, const QString& title) {
    PlanPages pages(plan);
    return writePagesPdf(pages, path, title);
}

QImage renderPageImage(const Page& page, int widthPx, int heightPx, double dotsPerInch) {
    QImage image(widthPx, heightPx, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const int dotsPerMeter = static_cast<int>(std::lround(dotsPerInch / kMmPerInch * 1000.0));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, pixelsPerMmX(image), pixelsPerMmY(image));
    painter.end();
    return image;
}

}  // namespace kirimo::printing
