#include "printing/sticker_plan.h"

#include <algorithm>
#include <cmath>

namespace kirimo::printing {

namespace {

// Whole cells of `side` mm on `length` mm; the small allowance keeps a printable area
// that is a whole multiple in theory (199.99999 mm from a device) from losing a cell.
int cellsOn(double length, int side) {
    return static_cast<int>(std::floor(length / side + 1e-9));
}

}  // namespace

std::optional<StickerCounts> stickerCounts(QSizeF printableMm, int widthMm, int heightMm) {
    if (widthMm < 1 || heightMm < 1)
        return std::nullopt;
    return StickerCounts{std::max(0, cellsOn(printableMm.width(), widthMm)),
                         std::max(0, cellsOn(printableMm.height(), heightMm))};
}

QString stickerGridLabel(const StickerCounts& counts) {
    return QStringLiteral("横%1枚、たて%2枚").arg(counts.across).arg(counts.down);
}

QString stickerTotalLabel(const StickerCounts& counts) {
    return QStringLiteral("合計%1枚印刷").arg(counts.total());
}

std::optional<int> parseStickerSide(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const int value = trimmed.toInt(&ok);
    if (!ok || value < 1)
        return std::nullopt;
    return value;
}

Page planStickerSheet(const QImage& picture, QSizeF printableMm, const StickerOptions& options) {
    Page page;
    const auto counts = stickerCounts(printableMm, options.widthMm, options.heightMm);
    if (!counts)
        return page;
    const double w = options.widthMm;
    const double h = options.heightMm;
    if (options.cutLines) {
        // Along every cell's left and top edge; none at the far edge of the last cells.
        for (int k = 0; k < counts->across; ++k) {
            page.items.push_back(LineItem{QPointF(w * k, 0), QPointF(w * k, printableMm.height()),
                                          LineStyle::Dotted, 0.0, Qt::black});
        }
        for (int k = 0; k < counts->down; ++k) {
            page.items.push_back(LineItem{QPointF(0, h * k), QPointF(printableMm.width(), h * k),
                                          LineStyle::Dotted, 0.0, Qt::black});
        }
    }
    for (int c = 0; c < counts->across; ++c) {
        for (int r = 0; r < counts->down; ++r)
            page.items.push_back(PictureItem{picture, QRectF(w * c, h * r, w - 1, h - 1)});
    }
    return page;
}

int64_t stickerPageCount(size_t pictures, int sheets) {
    return sheets < 1 ? 0 : static_cast<int64_t>(pictures) * sheets;
}

StickerPages::StickerPages(const std::vector<QImage>& pictures, QSizeF printableMm,
                           const StickerOptions& options)
    : pictures_(pictures), printableMm_(printableMm), options_(options) {}

int64_t StickerPages::pageCount() const {
    return stickerPageCount(pictures_.size(), options_.sheets);
}

std::optional<Page> StickerPages::next() {
    if (options_.sheets < 1 || picture_ >= pictures_.size())
        return std::nullopt;
    if (sheet_ == 0)
        current_ = planStickerSheet(pictures_[picture_], printableMm_, options_);
    Page page = current_;
    if (++sheet_ == options_.sheets) {
        sheet_ = 0;
        ++picture_;
    }
    return page;
}

PagePlan planStickers(const std::vector<QImage>& pictures, QSizeF printableMm,
                      const StickerOptions& options) {
    StickerPages pages(pictures, printableMm, options);
    return collectPages(pages);
}

}  // namespace kirimo::printing
