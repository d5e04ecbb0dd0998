#include "printing/page_renderer.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>
#include <cmath>
#include <type_traits>

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

QPageSize pageSizeOf(const PagePlan& plan) {
    const QPageSize a4(QPageSize::A4);
    if (plan.paperSizeMm == a4.size(QPageSize::Millimeter))
        return a4;
    return QPageSize(plan.paperSizeMm, QPageSize::Millimeter);
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
    device.setPageSize(pageSizeOf(plan));
    device.setPageOrientation(qtOrientation(plan.orientation));
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

Result<void> renderPlan(const PagePlan& plan, QPagedPaintDevice& device) {
    if (plan.pages.empty())
        return {};
    QPainter painter;
    if (!painter.begin(&device))
        return makeError("the printer could not be opened");
    const double xScale = pixelsPerMmX(device);
    const double yScale = pixelsPerMmY(device);
    for (size_t i = 0; i < plan.pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return makeError("the printer could not start page " + std::to_string(i + 1));
        }
        paintPage(painter, plan.pages[i], xScale, yScale);
    }
    if (!painter.end())
        return makeError("the printer could not finish the document");
    return {};
}

Result<void> writePlanPdf(const PagePlan& plan, const QString& path, const QString& title) {
    const std::string name = "\"" + path.toStdString() + "\"";
    if (plan.pages.empty())
        return makeError("cannot write " + name + ": there is no page to print");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return makeError("cannot write " + name + ": " + file.errorString().toStdString());
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Kirimo"));
        applyPageSetup(writer, plan, true);
        if (auto painted = renderPlan(plan, writer); !painted)
            return makeError("cannot write " + name + ": " + painted.error());
    }
    if (!file.commit())
        return makeError("cannot write " + name + ": " + file.errorString().toStdString());
    return {};
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
