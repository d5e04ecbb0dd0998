// The A4 chart as a page plan, computed with fixed text metrics and scripted random
// numbers, without a printer.

#include <gtest/gtest.h>

#include <deque>

#include "printing/chart_plan.h"
#include "support/test_support.h"

namespace kirimo::printing {
namespace {

using test::filledBuffer;
using test::makeBuffer;

constexpr Pixel B = 0x000000;  // 黒
constexpr Pixel W = 0xFFFFFF;  // 白
constexpr Pixel R = 0xFF0000;  // 赤

// Fixed metrics: every character 0.4 mm per point wide, a line 0.5 mm per point high, so
// labelH = round(4.5) = 4 and the cell text at 5 points is 2 mm wide and 2.5 mm high.
TextExtent fixedMeasure(const TextFont& font, const QString& text) {
    return {static_cast<double>(text.toUcs4().size()) * 0.4 * font.pointSize, 0.5 * font.pointSize};
}

struct Fixture {
    ColourTable table;
    SymbolSettings symbols;
    std::deque<double> draws;  // scripted random numbers; 0 once they run out
    std::vector<QString> loads;
    QImage red = [] {
        QImage image(2, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    }();
    QImage blue = [] {
        QImage image(3, 1, QImage::Format_RGB32);
        image.fill(Qt::blue);
        return image;
    }();

    Fixture() {
        for (int k = 0; k < kColourCount; ++k) {
            symbols.colours[k].characters = colourName(k);
            symbols.colours[k].flags = QStringLiteral("1");
        }
        symbols.fontName = QStringLiteral("Symbol Font");
    }

    ChartContext context() {
        ChartContext c;
        c.colourTable = &table;
        c.symbols = &symbols;
        c.fallbackFontFamily = QStringLiteral("Interface");
        c.measure = fixedMeasure;
        c.random = [this] {
            if (draws.empty())
                return 0.0;
            const double r = draws.front();
            draws.pop_front();
            return r;
        };
        c.loadPicture = [this](const QString& path) {
            loads.push_back(path);
            if (path == "red.bmp")
                return red;
            if (path == "blue.bmp")
                return blue;
            return QImage();
        };
        return c;
    }
};

// Options as a print run would take them: the largest cell, grid on.
ChartOptions options(SheetSize sheet, bool lines = true) {
    ChartOptions o;
    o.cell = largestCellSize(sheet, o.orientation);
    o.lines = lines;
    return o;
}

template <typename T>
std::vector<T> itemsOf(const Page& page) {
    std::vector<T> found;
    for (const PageItem& item : page.items) {
        if (const T* it = std::get_if<T>(&item))
            found.push_back(*it);
    }
    return found;
}

TEST(ChartLayout, LargestCellAndPageList) {
    EXPECT_EQ(largestCellSize({30, 20}, PageOrientation::Landscape), (CellSize{9, 10}));
    EXPECT_EQ(largestCellSize({30, 20}, PageOrientation::Portrait), (CellSize{7, 14}));
    EXPECT_EQ(largestCellSize({0, 300}, PageOrientation::Landscape), (CellSize{0, 0}));
    EXPECT_EQ(pageListLabels(5, 3, {2, 2}),
              QStringList({"(1,1)", "(2,1)", "(3,1)", "(1,2)", "(2,2)", "(3,2)"}));
    EXPECT_TRUE(pageListLabels(0, 3, {2, 2}).isEmpty());
}

TEST(ChartLayout, ChecksInOrderWithTheirMessages) {
    const CellSize largest{9, 10};
    const struct {
        CellSize cell;
        ChartCheck expected;
    } cases[] = {
        {{0, 300}, ChartCheck::ZeroCell}, {{300, 0}, ChartCheck::ZeroCell},
        {{10, 300}, ChartCheck::TooWide}, {{9, 11}, ChartCheck::TooTall},
        {{9, 10}, ChartCheck::Ok},        {{1, 1}, ChartCheck::Ok},
    };
    for (const auto& c : cases)
        EXPECT_EQ(checkChartSize(c.cell, largest), c.expected)
            << c.cell.width << "x" << c.cell.height;

    const ChartCheckMessage zero = chartCheckMessage(ChartCheck::ZeroCell);
    EXPECT_EQ(zero.title, "ｴﾗｰ");
    EXPECT_EQ(zero.text, "区切り線が引けません。１枚分のdot数を調整して下さい");
    EXPECT_FALSE(zero.exclamation);
    const ChartCheckMessage wide = chartCheckMessage(ChartCheck::TooWide);
    EXPECT_EQ(wide.title, "ｻｲｽﾞｴﾗｰ");
    EXPECT_EQ(wide.text, "横がはみ出ます");
    EXPECT_TRUE(wide.exclamation);
    EXPECT_EQ(chartCheckMessage(ChartCheck::TooTall).text, "縦がはみ出ます");

    // planChart refuses what the checks refuse.
    Fixture f;
    ChartOptions o = options({2, 2});
    o.cell = {0, 500};
    auto plan = planChart(filledBuffer(2, 2, B), {2, 2}, o, f.context());
    ASSERT_FALSE(plan);
    EXPECT_EQ(plan.error(), zero.text.toStdString());
}

TEST(ChartLayout, CharacterSizeRule) {
    // A font whose 18 characters reach 18 x cellW mm exactly at 12 points.
    const int cellW = 7;
    const TextMeasure reachesAt12 = [&](const TextFont& font, const QString& text) {
        return TextExtent{text.toUcs4().size() * cellW * font.pointSize / 12.0, 1.0};
    };
    const TextFont font{"F", 9, false, false};
    EXPECT_EQ(characterPointSize(reachesAt12, font, cellW, true), 10);
    EXPECT_EQ(characterPointSize(reachesAt12, font, cellW, false), 5);
    // Reached at once: round(0 x 0.9) = 0. Never reached: the search stops.
    const TextMeasure wide = [](const TextFont&, const QString&) { return TextExtent{1e9, 1}; };
    EXPECT_EQ(characterPointSize(wide, font, cellW, true), 0);
    const TextMeasure none = [](const TextFont&, const QString&) { return TextExtent{0, 0}; };
    EXPECT_EQ(characterPointSize(none, font, cellW, true),
              1799);  // round((2000 - 1) x 0.9)
    // Bold and italic of the symbol font are measured.
    const TextMeasure boldWider = [&](const TextFont& f, const QString& text) {
        return TextExtent{reachesAt12(f, text).width * (f.bold ? 2 : 1), 1.0};
    };
    // Bold reaches at 6 points: round(4.5) = 4, half to even.
    EXPECT_EQ(characterPointSize(boldWider, {"F", 9, true, false}, cellW, true), 4);
    EXPECT_EQ(labelHeightMm(fixedMeasure), 4);  // round(4.5), half to even
}

TEST(ChartLayout, Candidates) {
    const struct {
        QString characters;
        QString flags;
        QStringList expected;
    } cases[] = {
        {"黒ABC", "0,-1,0,-1", {"A", "C"}},
        {"黒ABC", "1,x,,2,", {"黒", "C"}},  // not numbers count as 0
        {"黒AB", "1", {"黒"}},              // missing elements count as 0
        {"", "1,1", {}},
        {"赤😀★", "1,1,1", {"赤", "😀", "★"}},  // a surrogate pair is one character
    };
    for (const auto& c : cases) {
        ColourSymbols s;
        s.characters = c.characters;
        s.flags = c.flags;
        EXPECT_EQ(enabledCandidates(s), c.expected) << c.characters.toStdString();
    }
    ColourSymbols many;
    for (int i = 0; i < 150; ++i) {
        many.characters += QChar(0x4E00 + i);
        many.flags += QStringLiteral("1,");
    }
    const QStringList first = enabledCandidates(many);
    ASSERT_EQ(first.size(), kMaxCandidates);
    EXPECT_EQ(first.back(), QString(QChar(0x4E00 + 100)));

    ColourSymbols pictures;
    pictures.pictures[0] = {"a.bmp", true};
    pictures.pictures[3] = {"b.bmp", false};
    pictures.pictures[5] = {"c.bmp", true};
    EXPECT_EQ(usedPictures(pictures), QStringList({"a.bmp", "c.bmp"}));
}

TEST(ChartPlan, SingleSheetHasNoLabelAndItsGridStartsBelowTheBand) {
    Fixture f;
    const ChartOptions o = options({2, 2});  // cells 148 x 105 mm
    auto plan = planChart(makeBuffer({{B, R}, {W, B}}), {2, 2}, o, f.context());
    ASSERT_TRUE(plan) << plan.error();
    ASSERT_EQ(plan->pages.size(), 1u);
    EXPECT_EQ(plan->orientation, PageOrientation::Landscape);
    const Page& page = plan->pages[0];
    const auto lines = itemsOf<LineItem>(page);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].from, QPointF(0, 4));
    EXPECT_EQ(lines[0].to, QPointF(296, 4));
    EXPECT_EQ(lines[2].from, QPointF(0, 214));
    EXPECT_EQ(lines[3].from, QPointF(0, 4));
    EXPECT_EQ(lines[5].to, QPointF(296, 214));
    const auto texts = itemsOf<TextItem>(page);
    ASSERT_EQ(texts.size(), 4u);  // no label, one text per dot
    EXPECT_EQ(texts[0].text, "黒");
    EXPECT_EQ(texts[1].text, "赤");
    EXPECT_EQ(texts[2].text, "白");
}

TEST(ChartPlan, CellTextIsCentredSizedAndColoured) {
    Fixture f;
    f.symbols.colours[0].characters = "黒AB";
    f.symbols.colours[0].flags = "0,1,1";
    ChartOptions o = options({2, 1}, false);
    o.cell = {10, 20};
    o.colour = true;
    f.draws = {0.99, 0.5};  // 赤 takes one of one candidate with the second draw
    auto plan = planChart(makeBuffer({{B, R}, {W, W}}), {2, 1}, o, f.context());
    ASSERT_TRUE(plan) << plan.error();
    ASSERT_EQ(plan->pages.size(), 2u);
    const auto texts = itemsOf<TextItem>(plan->pages[0]);
    ASSERT_EQ(texts.size(), 3u);
    // The label, in the symbol font at 9 points, black, at (0, 0).
    EXPECT_EQ(texts[0].text, "(1,1)");
    EXPECT_EQ(texts[0].font, (TextFont{"Symbol Font", 9, false, false}));
    EXPECT_EQ(texts[0].position, QPointF(0, 0));
    // The fixed metrics reach 18 x 10 mm at 25 points: round(24 x 0.9) = 22, half 11.
    EXPECT_EQ(texts[1].font.pointSize, 11);
    EXPECT_EQ(texts[1].text, "B");  // floor(0.99 x 2)
    EXPECT_DOUBLE_EQ(texts[1].position.x(), (10 - 4.4) / 2);
    EXPECT_DOUBLE_EQ(texts[1].position.y(), 4 + (20 - 5.5) / 2);
    EXPECT_EQ(texts[1].colour, QColor(Qt::black));
    EXPECT_EQ(texts[2].colour, QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(texts[2].position.x(), 10 + (10 - 4.4) / 2);
    // White dots print black text even in colour, or nothing with noWhite.
    const auto white = itemsOf<TextItem>(plan->pages[1]);
    ASSERT_EQ(white.size(), 3u);
    EXPECT_EQ(white[1].colour, QColor(Qt::black));
    o.noWhite = true;
    plan = planChart(makeBuffer({{B, R}, {W, W}}), {2, 1}, o, f.context());
    ASSERT_TRUE(plan);
    EXPECT_EQ(itemsOf<TextItem>(plan->pages[1]).size(), 1u);  // the label alone
    // Colour off: black everywhere. No candidates: ".". An empty font name: the fallback.
    o.colour = false;
    f.symbols.colours[2].flags = "0";
    f.symbols.fontName.clear();
    plan = planChart(makeBuffer({{B, R}}), {2, 1}, o, f.context());
    ASSERT_TRUE(plan);
    const auto plain = itemsOf<TextItem>(plan->pages[0]);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[1].text, ".");
    EXPECT_EQ(plain[1].colour, QColor(Qt::black));
    EXPECT_EQ(plain[1].font.family, "Interface");
}

TEST(ChartPlan, PageSelectionAndWhitePages) {
    Fixture f;
    // Three sheets of 2 x 2 across a 5 x 2 picture; the last is partial and all white.
    const PixelBuffer picture = makeBuffer({{B, B, W, W, W}, {B, B, R, W, W}});
    ChartOptions o = options({2, 2});
    o.printOnlyChecked = true;
    auto plan = planChart(picture, {2, 2}, o, f.context());
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->pages.empty());

    o.checkedPages = {false, true, true};
    o.skipWhitePages = true;
    plan = planChart(picture, {2, 2}, o, f.context());
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->pages.size(), 1u);
    EXPECT_EQ(itemsOf<TextItem>(plan->pages[0])[0].text, "(2,1)");

    o.printOnlyChecked = false;
    o.skipWhitePages = false;
    plan = planChart(picture, {2, 2}, o, f.context());
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->pages.size(), 3u);
    // The partial sheet: a full grid, the column outside the picture left empty.
    const Page& partial = plan->pages[2];
    EXPECT_EQ(itemsOf<LineItem>(partial).size(), 6u);
    const auto texts = itemsOf<TextItem>(partial);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "(3,1)");
    EXPECT_LT(texts[1].position.x(), o.cell.width);
    EXPECT_LT(texts[2].position.x(), o.cell.width);
    EXPECT_GT(texts[2].position.y(), 4 + o.cell.height);
}

TEST(ChartPlan, PicturesAlternateAcrossPagesAndOneServesEveryDot) {
    Fixture f;
    f.symbols.colours[0].pictures[1] = {"red.bmp", true};
    f.symbols.colours[0].pictures[4] = {"unused.bmp", false};
    f.symbols.colours[0].pictures[6] = {"blue.bmp", true};
    f.symbols.colours[2].pictures[0] = {"red.bmp", true};
    f.symbols.colours[3].pictures[0] = {"missing.bmp", true};
    ChartOptions o = options({2, 1});
    o.usage = UsageMode::Pictures;
    o.cell = {10, 20};
    // Black dots on two pages, then red, then blue (its picture cannot be loaded).
    const PixelBuffer picture = makeBuffer({{B, B, B, R}, {R, 0x0000FF, B, W}});
    f.draws = {0.7, 0.9, 0.1, 0.3};
    auto plan = planChart(picture, {2, 1}, o, f.context());
    ASSERT_TRUE(plan) << plan.error();
    ASSERT_EQ(plan->pages.size(), 4u);
    std::vector<std::pair<QString, QRectF>> cells;
    for (const Page& page : plan->pages) {
        for (const PictureItem& p : itemsOf<PictureItem>(page))
            cells.push_back({p.image.cacheKey() == f.red.cacheKey() ? "red" : "blue", p.rect});
    }
    // Black: floor(0.7 x 2) = 1 (blue), then always the other one whatever is drawn, also
    // on the next pages; red has one picture for every dot.
    const std::vector<QString> expected = {"blue", "red", "blue", "red", "red", "red"};
    ASSERT_EQ(cells.size(), expected.size());
    for (size_t i = 0; i < cells.size(); ++i)
        EXPECT_EQ(cells[i].first, expected[i]) << i;
    EXPECT_EQ(cells[0].second, QRectF(0, 4, 9.8, 19.8));
    EXPECT_EQ(cells[1].second, QRectF(10, 4, 9.8, 19.8));
    // Each file is loaded once; the one that cannot be loaded leaves its cell empty.
    EXPECT_EQ(f.loads, (std::vector<QString>{"blue.bmp", "red.bmp", "missing.bmp"}));
    // A colour without pictures prints its name (白: black in colour mode), or nothing
    // with noWhite.
    const auto names = itemsOf<TextItem>(plan->pages[3]);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1].text, "白");
    o.noWhite = true;
    plan = planChart(picture, {2, 1}, o, f.context());
    ASSERT_TRUE(plan);
    EXPECT_EQ(itemsOf<TextItem>(plan->pages[3]).size(), 1u);
}

TEST(ChartPlan, RefusesBadInput) {
    Fixture f;
    EXPECT_FALSE(planChart(PixelBuffer(), {2, 2}, options({2, 2}), f.context()));
    EXPECT_FALSE(planChart(filledBuffer(2, 2, B), {0, 2}, options({1, 2}), f.context()));
    ChartContext noMeasure = f.context();
    noMeasure.measure = nullptr;
    EXPECT_FALSE(planChart(filledBuffer(2, 2, B), {2, 2}, options({2, 2}), noMeasure));
}

}  // namespace
}  // namespace kirimo::printing
