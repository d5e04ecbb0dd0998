#pragma once
// The one renderer of page plans: printers, the print preview's printer, PDF files and
// pictures are all painted by it, so what is previewed is what is printed.
//
// Millimetres become device pixels here (device pixels per mm from the device's logical
// resolution); the painter itself is never scaled, because a font's point size is turned
// into pixels before a painter's transform applies. Pictures are always painted with
// QPainter::LosslessImageRendering.

#include <QFont>
#include <QIODevice>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QString>

#include "imaging/result.h"
#include "printing/page_plan.h"
#include "printing/page_source.h"

namespace kirimo::printing {

// The QFont that renders and measures a TextFont: the family asked for by name, the size
// in points (fractions kept), bold and italic.
QFont toQFont(const TextFont& font);

// Text measured with the metrics of `device` (its resolution and its fonts), in mm. The
// device must outlive the returned function. Usable before painting starts.
TextMeasure deviceTextMeasure(const QPaintDevice& device);

// Gives `device` the plan's paper size and orientation. With `zeroMargins` the printable
// area becomes the whole page (the PDFs of kirimo-cli); otherwise the device's margins
// stay (a printer's printable area), and the plan's origin is the printable area's corner.
void applyPageSetup(QPagedPaintDevice& device, const PagePlan& plan, bool zeroMargins);
void applyPageSetup(QPagedPaintDevice& device, QSizeF paperSizeMm, PageOrientation orientation,
                    bool zeroMargins);

// Paints one page with an active painter whose origin is the printable area's top-left
// corner, at `pixelsPerMmX` x `pixelsPerMmY` device pixels per millimetre. Text of a size
// of 0 points or less is not painted.
void paintPage(QPainter& painter, const Page& page, double pixelsPerMmX, double pixelsPerMmY);

// Paints every page the source gives on the device as it comes, starting a new page
// between pages (none after the last), so that only one page is held at a time. A source
// without pages paints nothing and does not open the device. An error when the device
// cannot be opened (a printer that is not available) or refuses a new page.
Result<void> renderPages(PageSource& source, QPagedPaintDevice& device);

// Prints the source's pages on the printer as renderPages does, except that a printer
// that prints to a PDF file writes that file whole or not at all (an earlier file stays
// when a write fails, as writePagesPdf), with the printer's own page layout and margins.
Result<void> printPages(PageSource& source, QPrinter& printer);

// renderPages for a whole plan.
Result<void> renderPlan(const PagePlan& plan, QPagedPaintDevice& device);

// A PDF keeps its page margins in whole points: the margin a PDF holds for `marginMm`,
// rounded up to the next whole point so that nothing comes nearer the edge than asked.
double pdfMarginMm(double marginMm);

// Writes the source's pages as a PDF file, page by page as they are painted, whole or not
// at all (writeFileAtomically of core/text_file.h: an earlier file of that name stays when
// writing fails). The pages keep pdfMarginMm(marginMm) on every side (none by default),
// and the pages' origin is the margin's corner. A failed write anywhere in the document (a full
// disk) is an error. A source without pages is refused.
Result<void> writePagesPdf(PageSource& source, const QString& path, const QString& title,
                           double marginMm = 0);

// Paints the source's pages as a PDF without margins onto an open device, page by page.
// An error when painting fails or when any write to the device failed (the device's
// errno, when it set one, is the message); painting stops at the first failed write.
Result<void> paintPdf(PageSource& source, QIODevice& device, const QString& title);

// writePagesPdf for a whole plan.
Result<void> writePlanPdf(const PagePlan& plan, const QString& path, const QString& title);

// Paints one page onto a white picture of widthPx x heightPx pixels at `dotsPerInch`
// (Format_RGB32), the page's origin at the picture's top-left corner.
QImage renderPageImage(const Page& page, int widthPx, int heightPx, double dotsPerInch);

}  // namespace kirimo::printing
