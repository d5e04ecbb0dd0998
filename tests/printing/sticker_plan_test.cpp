// Sticker sheets as page plans, without a printer.

#include <gtest/gtest.h>

#include "printing/sticker_plan.h"
#include "support/cli_runner.h"

namespace kirimo::printing {
namespace {

TEST(StickerPlan, CountsAreWholeCellsOfThePrintableArea) {
    struct Case {
        QSizeF area;
        int w, h;
        StickerCounts counts;
        const char* grid;
        const char* total;
    } cases[] = {
        {{200, 287}, 60, 60, {3, 4}, "横3枚、たて4枚", "合計12枚印刷"},
        {{297, 210}, 60, 60, {4, 3}, "横4枚、たて3枚", "合計12枚印刷"},
        {{200.5, 280}, 10, 10, {20, 28}, "横20枚、たて28枚", "合計560枚印刷"},
        {{210, 297}, 211, 10, {0, 29}, "横0枚、たて29枚", "合計0枚印刷"},
        {{200, 287}, 1, 1, {200, 287}, "横200枚、たて287枚", "合計57400枚印刷"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stickerCounts(c.area, c.w, c.h), c.counts);
        EXPECT_EQ(stickerGridLabel(c.counts), QString::fromUtf8(c.grid));
        EXPECT_EQ(stickerTotalLabel(c.counts), QString::fromUtf8(c.total));
    }
    EXPECT_FALSE(stickerCounts({200, 200}, 0, 10));
    EXPECT_FALSE(stickerCounts({200, 200}, 10, -1));
}

TEST(StickerPlan, SidesArePositiveWholeNumbers) {
    EXPECT_EQ(parseStickerSide("60"), 60);
    EXPECT_EQ(parseStickerSide(" 7 "), 7);
    for (const char* bad : {"", "0", "-3", "1.5", "abc", "1e2", "99999999999"})
        EXPECT_FALSE(parseStickerSide(QString::fromUtf8(bad))) << bad;
}

TEST(StickerPlan, PicturesFillCellsLessAGapAndCutLinesStartAtTheEdges) {
    const QImage picture = test::oddPictures().first;
    StickerOptions options;
    options.widthMm = 60;
    options.heightMm = 50;
    options.cutLines = true;
    const Page page = planStickerSheet(picture, {200, 120}, options);  // 3 across, 2 down
    std::vector<QLineF> lines;
    std::vector<PictureItem> pictures;
    for (const PageItem& item : page.items) {
        if (const auto* line = std::get_if<LineItem>(&item)) {
            EXPECT_TRUE(pictures.empty()) << "lines come before the pictures";
            EXPECT_EQ(line->style, LineStyle::Dotted);
            EXPECT_EQ(line->colour, QColor(Qt::black));
            lines.emplace_back(line->from, line->to);
        } else {
            pictures.push_back(std::get<PictureItem>(item));
        }
    }
    // Vertical from the top, none at x = 180; then horizontal the whole width, none at y = 100.
    EXPECT_EQ(lines, (std::vector<QLineF>{{0, 0, 0, 120},
                                          {60, 0, 60, 120},
                                          {120, 0, 120, 120},
                                          {0, 0, 200, 0},
                                          {0, 50, 200, 50}}));
    ASSERT_EQ(pictures.size(), 6u);
    for (int i = 0; i < 6; ++i) {  // columns outside, rows inside
        EXPECT_EQ(pictures[i].rect, QRectF(60.0 * (i / 2), 50.0 * (i % 2), 59, 49));
        EXPECT_EQ(pictures[i].image, picture);
    }
    options.cutLines = false;
    EXPECT_EQ(planStickerSheet(picture, {200, 120}, options).items.size(), 6u);
}

TEST(StickerPlan, SheetsPerPictureInTurnMadeAsAskedForAndSidesNeedRoom) {
    StickerOptions options;
    options.sheets = 2;
    options.orientation = PageOrientation::Landscape;
    const auto [a, b] = test::oddPictures();  // 3 x 2 and 2 x 5
    // Made one page at a time: the plan collects the pages as they are asked for.
    const std::vector<QImage> pictures{a, b};
    StickerPages pages(pictures, {297, 210}, options);
    EXPECT_EQ(pages.pageCount(), 4);
    const PagePlan plan = planStickers(pictures, {297, 210}, options);
    EXPECT_EQ(plan.orientation, PageOrientation::Landscape);
    ASSERT_EQ(plan.pages.size(), 4u);
    const QImage expected[] = {a, a, b, b};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(plan.pages[i].items.size(), 29u * 21u);
        EXPECT_EQ(std::get<PictureItem>(plan.pages[i].items.back()).image, expected[i]);
    }
    EXPECT_TRUE(planStickers({}, {297, 210}, options).pages.empty());
    options.sheets = 0;
    EXPECT_TRUE(planStickers({a}, {297, 210}, options).pages.empty());
    EXPECT_EQ(stickerPageCount(3, INT32_MAX), int64_t{3} * INT32_MAX);
    EXPECT_EQ(stickerPageCount(3, 0) + stickerPageCount(0, 5), 0);
    const struct {
        int w, h;
        bool room;
    } sides[] = {{1, 1, false}, {1, 10, false}, {10, 1, false}, {2, 2, true}, {60, 50, true}};
    for (const auto& c : sides)
        EXPECT_EQ(stickerHasRoom(c.w, c.h), c.room) << c.w << "x" << c.h;
}

}  // namespace
}  // namespace kirimo::printing
