#pragma once
// A printed document as plain data: a paper size and orientation and a list of pages, each
// a list of items placed in millimetres from the printable area's top-left corner (on a
// page without margins, the page's own corner). Plans are computed without any device and
// painted by one renderer (printing/page_renderer.h) on printers, the print preview, PDF
// files and pictures alike.

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <variant>
#include <vector>

namespace kirimo::printing {

inline constexpr double kA4ShortSideMm = 210.0;
inline constexpr double kA4LongSideMm = 297.0;

enum class PageOrientation { Portrait, Landscape };

// A font as the printer is asked for it: a family by name (fontconfig gives the nearest
// installed one), a size in points and the two styles.
struct TextFont {
    QString family;
    double pointSize = 9.0;
    bool bold = false;
    bool italic = false;

    bool operator==(const TextFont&) const = default;
};

// One line of text. `position` is the top-left corner of the text's line box, as a
// printer's current point is before it prints: the box is the font's height (ascent plus
// descent) high and the text's advance wide, so the baseline lies one ascent below
// `position.y()`. Nothing is wrapped or clipped.
struct TextItem {
    QString text;
    TextFont font;
    QColor colour = Qt::black;
    QPointF position;  // mm
};

enum class LineStyle { Solid, Dotted };

// A straight line from `from` to `to`. A width of 0 is the thinnest line the device draws
// (one device pixel, as a printer's line width 1); a larger width is in millimetres.
struct LineItem {
    QPointF from;  // mm
    QPointF to;    // mm
    LineStyle style = LineStyle::Solid;
    double widthMm = 0.0;
    QColor colour = Qt::black;
};

// A picture stretched into a rectangle. Painted losslessly: every pixel of `image` reaches
// the device (a PDF stores it as it is). Items that share one QImage (the same cache key)
// are stored once in a PDF.
struct PictureItem {
    QImage image;
    QRectF rect;  // mm
};

// A rectangle filled with one colour, without an outline (a colour swatch).
struct FilledRectItem {
    QRectF rect;  // mm
    QColor fill = Qt::black;
};

using PageItem = std::variant<TextItem, LineItem, PictureItem, FilledRectItem>;

// Items are painted in order; later ones cover earlier ones.
struct Page {
    std::vector<PageItem> items;
};

struct PagePlan {
    // The paper upright (A4 unless a plan says otherwise) and how it lies.
    QSizeF paperSizeMm{kA4ShortSideMm, kA4LongSideMm};
    PageOrientation orientation = PageOrientation::Portrait;
    std::vector<Page> pages;

    // The page as it lies: the paper's sides swapped for landscape.
    QSizeF pageSizeMm() const {
        return orientation == PageOrientation::Landscape ? paperSizeMm.transposed() : paperSizeMm;
    }
};

// The width (advance) and height (ascent plus descent) of a text in a font, in
// millimetres, as the device the plan is meant for measures it. Planners take one so that
// centring and size searches use the metrics of the device that will print; tests give
// fixed metrics. printing/page_renderer.h makes one for a real device.
struct TextExtent {
    double width = 0.0;
    double height = 0.0;
};
using TextMeasure = std::function<TextExtent(const TextFont& font, const QString& text)>;

}  // namespace kirimo::printing
