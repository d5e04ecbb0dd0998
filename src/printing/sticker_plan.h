#pragma once
// Sticker sheets: every page filled edge to edge with copies of one picture, each copy
// stretched into a cell of whole millimetres less a 1 mm gap at its right and bottom,
// optionally with dotted cut lines along the cells' left and top edges. The window and
// kirimo-cli both compute the counts and the plan here; page_renderer.h paints it.

#include <QImage>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

#include "printing/page_plan.h"
#include "printing/page_source.h"

namespace kirimo::printing {

// Stickers across and down one printable area.
struct StickerCounts {
    int across = 0;
    int down = 0;
    int total() const { return across * down; }

    bool operator==(const StickerCounts&) const = default;
};

// floor(printable width / w) by floor(printable height / h); nothing when a side is not
// at least 1 mm.
std::optional<StickerCounts> stickerCounts(QSizeF printableMm, int widthMm, int heightMm);

// Every sticker keeps a gap of kStickerGapMm at its right and bottom, so only sides of at
// least kMinStickerSideMm leave room for the picture.
inline constexpr int kStickerGapMm = 1;
inline constexpr int kMinStickerSideMm = kStickerGapMm + 1;
inline bool stickerHasRoom(int widthMm, int heightMm) {
    return widthMm >= kMinStickerSideMm && heightMm >= kMinStickerSideMm;
}

// "横3枚、たて4枚" and "合計12枚印刷".
QString stickerGridLabel(const StickerCounts& counts);
QString stickerTotalLabel(const StickerCounts& counts);

// A sticker side as typed: a whole number of at least 1, or nothing.
std::optional<int> parseStickerSide(const QString& text);

struct StickerOptions {
    int widthMm = 10;
    int heightMm = 10;
    int sheets = 1;  // pages per picture; below 1 prints none
    PageOrientation orientation = PageOrientation::Portrait;
    bool cutLines = false;
};

// One sheet of `picture` on a printable area of `printableMm` (origin its top-left corner).
// The sides must be at least 1 mm.
Page planStickerSheet(const QImage& picture, QSizeF printableMm, const StickerOptions& options);

// The pages of a sticker job: `sheets` for each of `pictures` pictures, 0 when sheets is
// below 1.
int64_t stickerPageCount(size_t pictures, int sheets);

// `sheets` pages for each picture in turn, on A4 paper in the options' direction, one at
// a time: each picture's sheet is planned once and handed out `sheets` times. The
// pictures must outlive the source.
class StickerPages final : public PageSource {
  public:
    StickerPages(const std::vector<QImage>& pictures, QSizeF printableMm,
                 const StickerOptions& options);

    QSizeF paperSizeMm() const override { return QSizeF(kA4ShortSideMm, kA4LongSideMm); }
    PageOrientation orientation() const override { return options_.orientation; }
    int64_t pageCount() const override;
    std::optional<Page> next() override;

  private:
    const std::vector<QImage>& pictures_;
    QSizeF printableMm_;
    StickerOptions options_;
    size_t picture_ = 0;  // the picture of the next page
    int sheet_ = 0;       // the next page's sheet of that picture
    Page current_;        // the picture's sheet, once planned
};

// Every page of StickerPages in one plan. No pictures (nothing selected) gives a plan
// without pages.
PagePlan planStickers(const std::vector<QImage>& pictures, QSizeF printableMm,
                      const StickerOptions& options);

}  // namespace kirimo::printing
