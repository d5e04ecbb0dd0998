// The A4 chart and the chart images as page plans, computed with fixed text metrics and
// scripted random numbers, without a printer; the images also saved as bitmaps.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <cmath>
#include <deque>
#include <set>

#include "core/picture_file.h"
#include "printing/chart_extras.h"
#include "printing/chart_images.h"
#include "printing/chart_plan.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

namespace kirimo::printing {
namespace {

using test::countPixels;
using test::filledBuffer;
using test::makeBuffer;
using testing::HasSubstr;

constexpr Pixel B = 0x000000;  // 黒
constexpr Pixel W = 0xFFFFFF;  // 白
constexpr Pixel R = 0xFF0000;  // 赤
constexpr double kMmPerPixel = 25.4 / 96;

// Fixed metrics: every character 0.4 mm per point wide, a line 0.5 mm per point high, so
// labelH = round(4.5) = 4 and the cell text at 5 points is 2 mm wide and 2.5 mm high.
TextExtent fixedMeasure(const TextFont& font, const QString& text) {
    return {static_cast<double>(text.toUcs4().size()) * 0.4 * font.pointSize, 0.5 * font.pointSize};
}

// For the chart images: every character 12 x 16 pixels of the surface, "." 4 pixels wide.
TextExtent fixedPixels(const TextFont&, const QString& text) {
    return {(text == "." ? 4 : 12) * kMmPerPixel, 16 * kMmPerPixel};
}

struct Fixture {
    ColourTable table;
    SymbolSettings symbols;
    std::deque<double> draws;  // scripted random numbers; 0 once they run out
    int drawn = 0;
    std::vector<QString> loads;
    QImage red = test::oddPictures().first;  // the pictures "red.bmp" and "blue.bmp" hold
    QImage blue = test::oddPictures().second;
    Fixture() {
        for (int k = 0; k < kColourCount; ++k) {
            symbols.colours[k].characters = colourName(k);
            symbols.colours[k].flags = QStringLiteral("1");
        }
        symbols.fontName = QStringLiteral("Symbol Font");
    }
    ChartContext context(TextMeasure measure = fixedMeasure) {
        const auto random = [this] {
            ++drawn;
            const double r = draws.empty() ? 0.0 : draws.front();
            if (!draws.empty())
                draws.pop_front();
            return r;
        };
        const auto load = [this](const QString& path) {
            loads.push_back(path);
            return path == "red.bmp" ? red : path == "blue.bmp" ? blue : QImage();
        };
        return {&table, &symbols, "Interface", std::move(measure), random, load, {}};
    }
    Result<PagePlan> plan(const PixelBuffer& picture, SheetSize sheet, const ChartOptions& o) {
        return planChart(picture, sheet, o, context());
    }
    // The plan of a chart that must be made.
    PagePlan planned(const PixelBuffer& picture, SheetSize sheet, const ChartOptions& o) {
        auto made = plan(picture, sheet, o);
        EXPECT_TRUE(made) << (made ? "" : made.error());
        return made ? std::move(*made) : PagePlan{};
    }
};

// Options as a print run would take them: the largest cell, grid on.
ChartOptions options(SheetSize sheet, bool lines = true) {
    ChartOptions o;
    o.cell = largestCellSize(sheet, printableAreaMm(o), labelHeightMm(fixedMeasure));
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

QStringList textsOf(const Page& page) {
    QStringList texts;
    for (const TextItem& t : itemsOf<TextItem>(page))
        texts << t.text;
    return texts;
}

// A page's texts as "text points colour x,y", in millimetres (or units of `unitMm`) to 0.01.
QStringList described(const Page& page, double unitMm = 1) {
    QStringList lines;
    for (const TextItem& t : itemsOf<TextItem>(page)) {
        lines << QString("%1 %2 %3 %4,%5")
                     .arg(t.text)
                     .arg(t.font.pointSize)
                     .arg(t.colour.name())
                     .arg(t.position.x() / unitMm, 0, 'f', 2)
                     .arg(t.position.y() / unitMm, 0, 'f', 2);
    }
    return lines;
}

// 5 x 3 dots in four colours, sheets of 2 x 2: a grid of 3 x 2 sheets, (2,2) and (3,2) white.
PixelBuffer fourColours() {
    constexpr Pixel G = 0x00FF00;  // 黄 by its packed value
    return makeBuffer({{B, R, R, W, G}, {B, B, W, W, G}, {R, W, W, W, W}});
}

TEST(ChartLayout, LargestCellAndRefusedPlans) {
    // On a page without margins with a 3 mm label band; the band comes off the height.
    const QSizeF landscape = chartPageSizeMm(PageOrientation::Landscape);
    const QSizeF portrait = chartPageSizeMm(PageOrientation::Portrait);
    const struct {
        SheetSize sheet;
        QSizeF page;
        CellSize largest;
    } largest[] = {
        {{30, 20}, landscape, {9, 10}}, {{30, 20}, portrait, {7, 14}},
        {{30, 30}, landscape, {9, 6}},  // 7 would lose a row
        {{0, 300}, landscape, {0, 0}},  {{10, 10}, QSizeF(5, 2.5), {0, 0}},
        {{33, 1}, landscape, {9, 207}},  // 297 / 33 = 9 exactly; 210 - 3
        {{34, 207}, landscape, {8, 1}},
    };
    for (const auto& c : largest)
        EXPECT_EQ(largestCellSize(c.sheet, c.page, 3), c.largest) << c.sheet.width;
    // The page list in sheet order and the cell checks at their limits: the A4 chart
    // window's tests and kirimo-cli's refusal table (--cell 99x103 fits, 100x5 and 99x104
    // do not).
    EXPECT_TRUE(pageListLabels(0, 3, {2, 2}).isEmpty());
    // planChart refuses what the checks refuse, with the check's message; no picture, no
    // sheet size, no way to measure text.
    Fixture f;
    ChartOptions o = options({2, 2});
    o.cell = {0, 500};
    EXPECT_EQ(f.plan(filledBuffer(2, 2, B), {2, 2}, o).error(),
              "区切り線が引けません。１枚分のdot数を調整して下さい");
    EXPECT_FALSE(f.plan(PixelBuffer(), {2, 2}, options({2, 2})));
    EXPECT_FALSE(f.plan(filledBuffer(2, 2, B), {0, 2}, options({1, 2})));
    ChartContext noMeasure = f.context();
    noMeasure.measure = nullptr;
    EXPECT_FALSE(planChart(filledBuffer(2, 2, B), {2, 2}, options({2, 2}), noMeasure));
}

// Over sheets, orientations and margins: every dot of a picture of 2 x 2 sheets, three of
// them partial, is on its page, and everything of every page (cover and legend too) lies
// inside the printable area.
TEST(ChartLayout, EveryDotIsOnItsPageInsideThePrintableArea) {
    for (const SheetSize sheet : {SheetSize{30, 30}, SheetSize{40, 30}, SheetSize{7, 3}}) {
        for (const auto orientation : {PageOrientation::Landscape, PageOrientation::Portrait}) {
            for (const double margin : {0.0, 5.0, 3.53}) {
                SCOPED_TRACE(testing::Message()
                             << sheet.width << "x" << sheet.height << " "
                             << (orientation == PageOrientation::Portrait) << " margin " << margin);
                Fixture f;
                ChartOptions o;
                o.orientation = orientation;
                o.printableMm = chartPageSizeMm(orientation) - QSizeF(2 * margin, 2 * margin);
                o.cell = largestCellSize(sheet, printableAreaMm(o), labelHeightMm(fixedMeasure));
                o.lines = o.cover = o.legend = true;
                auto plan =
                    f.plan(filledBuffer(2 * sheet.width - 1, 2 * sheet.height - 1, R), sheet, o);
                ASSERT_TRUE(plan.ok()) << plan.error();
                ASSERT_EQ(plan->pages.size(), 6u);  // cover, four sheets, legend
                // Corners, so that lines (boxes without area) count too.
                const QRectF room =
                    QRectF(QPointF(0, 0), o.printableMm).adjusted(-1e-9, -1e-9, 1e-9, 1e-9);
                const auto inside = [&](const QRectF& box) {
                    return room.contains(box.topLeft()) && room.contains(box.bottomRight());
                };
                for (const Page& page : plan->pages) {
                    for (const PageItem& item : page.items) {
                        if (const auto* text = std::get_if<TextItem>(&item)) {
                            const TextExtent size = fixedMeasure(text->font, text->text);
                            EXPECT_TRUE(
                                inside(QRectF(text->position, QSizeF(size.width, size.height))))
                                << text->text.toStdString();
                        } else if (const auto* line = std::get_if<LineItem>(&item)) {
                            EXPECT_TRUE(inside(QRectF(line->from, line->to).normalized()));
                        } else if (const auto* fill = std::get_if<FilledRectItem>(&item)) {
                            EXPECT_TRUE(inside(fill->rect));
                        }
                    }
                }
                // The sheets (1,1) and (1,2) are full across, (1,1) and (2,1) full down; the
                // others one dot short. Each has the whole grid, the label and one 赤 per dot,
                // each in a cell of its own within its part of the grid.
                for (int p = 1; p <= 4; ++p) {
                    const int across = sheet.width - (p + 1) % 2, down = sheet.height - p / 3;
                    EXPECT_EQ(itemsOf<LineItem>(plan->pages[p]).size(),
                              static_cast<size_t>(sheet.width + sheet.height + 2));
                    const auto texts = itemsOf<TextItem>(plan->pages[p]);
                    ASSERT_EQ(texts.size(), 1u + across * down);
                    std::set<std::pair<int, int>> cells;
                    for (size_t i = 1; i < texts.size(); ++i) {
                        EXPECT_EQ(texts[i].text, "赤");
                        const int dx = static_cast<int>(texts[i].position.x() / o.cell.width);
                        const int dy =
                            static_cast<int>((texts[i].position.y() - 4) / o.cell.height);
                        EXPECT_TRUE(dx < across && dy < down) << dx << "," << dy;
                        cells.emplace(dx, dy);
                    }
                    EXPECT_EQ(cells.size(), texts.size() - 1);
                }
                // The last grid line of a full sheet is drawn, on the page.
                const auto lines = itemsOf<LineItem>(plan->pages[1]);
                EXPECT_DOUBLE_EQ(lines[static_cast<size_t>(sheet.height)].from.y(),
                                 4 + sheet.height * o.cell.height);
            }
        }
    }
}

TEST(ChartLayout, CharacterSizeRuleAndCandidates) {
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
    EXPECT_EQ(characterPointSize(none, font, cellW, true), 1799);  // round((2000 - 1) x 0.9)
    // Bold and italic of the symbol font are measured: bold reaches at 6 points, round(4.5) = 4.
    const TextMeasure boldWider = [&](const TextFont& f, const QString& text) {
        return TextExtent{reachesAt12(f, text).width * (f.bold ? 2 : 1), 1.0};
    };
    EXPECT_EQ(characterPointSize(boldWider, {"F", 9, true, false}, cellW, true), 4);
    EXPECT_EQ(labelHeightMm(fixedMeasure), 4);  // round(4.5), half to even
    ColourSymbols many;
    for (int i = 0; i < 150; ++i) {
        many.characters += QChar(0x4E00 + i);
        many.flags += QStringLiteral("1,");
    }
    const struct {
        QString characters, flags;
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
    const QStringList first = enabledCandidates(many);
    ASSERT_EQ(first.size(), kMaxCandidates);
    EXPECT_EQ(first.back(), QString(QChar(0x4E00 + 100)));
}

TEST(ChartPlan, SingleSheetHasNoLabelAndItsGridStartsBelowTheBand) {
    Fixture f;
    const PagePlan plan = f.planned(makeBuffer({{B, R}, {W, B}}), {2, 2}, options({2, 2}));
    ASSERT_EQ(plan.pages.size(), 1u);
    EXPECT_EQ(plan.orientation, PageOrientation::Landscape);
    // Rows, then columns, of cells of 148 x 103 mm below the 4 mm band.
    std::vector<QLineF> lines;
    for (const LineItem& l : itemsOf<LineItem>(plan.pages[0]))
        lines.emplace_back(l.from, l.to);
    EXPECT_EQ(lines, (std::vector<QLineF>{{0, 4, 296, 4},
                                          {0, 107, 296, 107},
                                          {0, 210, 296, 210},
                                          {0, 4, 0, 210},
                                          {148, 4, 148, 210},
                                          {296, 4, 296, 210}}));
    EXPECT_EQ(textsOf(plan.pages[0]), QStringList({"黒", "赤", "白", "黒"}));  // no label
}

TEST(ChartPlan, CellTextIsCentredSizedAndColoured) {
    Fixture f;
    f.symbols.colours[0].characters = "黒AB";
    f.symbols.colours[0].flags = "0,1,1";
    ChartOptions o = options({2, 1}, false);
    o.cell = {10, 20};
    o.colour = true;
    f.draws = {1.0, 0.5};  // a draw of 1 still picks the last candidate
    const PixelBuffer picture = makeBuffer({{B, R}, {W, W}});
    const PagePlan plan = f.planned(picture, {2, 1}, o);
    ASSERT_EQ(plan.pages.size(), 2u);
    // The label at 9 points at (0, 0). The fixed metrics reach 18 x 10 mm at 25 points:
    // round(24 x 0.9) = 22, half 11, so the cells' text is 4.4 x 5.5 mm, centred in its cell
    // below the band. White dots print black text even in colour.
    EXPECT_EQ(described(plan.pages[0]),
              QStringList({"(1,1) 9 #000000 0.00,0.00", "B 11 #000000 2.80,11.25",
                           "赤 11 #ff0000 12.80,11.25"}));
    EXPECT_EQ(described(plan.pages[1]).value(1), "白 11 #000000 2.80,11.25");
    EXPECT_EQ(itemsOf<TextItem>(plan.pages[0])[0].font, (TextFont{"Symbol Font", 9, false, false}));
    o.noWhite = true;  // white dots print nothing
    EXPECT_EQ(textsOf(f.planned(picture, {2, 1}, o).pages[1]), QStringList{"(1,2)"});
    // A colour without candidates prints "."; without a symbol font, the fallback.
    o.colour = false;
    f.symbols.colours[2].flags = "0";
    f.symbols.fontName.clear();
    const auto plain = itemsOf<TextItem>(f.planned(makeBuffer({{B, R}}), {2, 1}, o).pages[0]);
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[1].text, ".");
    EXPECT_EQ(plain[1].colour, QColor(Qt::black));
    EXPECT_EQ(plain[1].font.family, "Interface");
}

TEST(ChartPlan, FilledCellsTakeTheirDotsColourWithTextThatReads) {
    Fixture f;
    const int colours[] = {5, 14, 16, 1};  // 黄, 紺, 銀 and 白 in a row of one sheet
    const auto rgb = [&](int x) {
        const ColourEntry& e = f.table[colours[x]];
        return QColor(e.red, e.green, e.blue);
    };
    PixelBuffer dots = filledBuffer(4, 1, 0);
    for (int x = 0; x < 4; ++x)
        dots.at(x, 0) = rgb(x).rgb() & 0xFFFFFF;
    ChartOptions o = options({4, 1});
    o.colour = o.fillColour = true;
    const Page page = f.planned(dots, {4, 1}, o).pages.at(0);
    // White stays unfilled; the fills come before the grid, which lies on top of them.
    const auto fills = itemsOf<FilledRectItem>(page);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<FilledRectItem>(page.items.front()));
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(fills[x].fill, rgb(x));
        EXPECT_EQ(fills[x].rect, QRectF(x * o.cell.width, 4, o.cell.width, o.cell.height));
    }
    QStringList ink;
    for (const TextItem& t : itemsOf<TextItem>(page))
        ink << t.colour.name();
    EXPECT_EQ(ink, QStringList({"#000000", "#ffffff", "#000000", "#000000"}));
    o.fillColour = false;
    EXPECT_TRUE(itemsOf<FilledRectItem>(f.planned(dots, {4, 1}, o).pages[0]).empty());
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
    const PagePlan plan = f.planned(picture, {2, 1}, o);
    ASSERT_EQ(plan.pages.size(), 4u);
    QStringList cells;
    std::vector<QRectF> rects;
    for (const Page& page : plan.pages) {
        for (const PictureItem& p : itemsOf<PictureItem>(page)) {
            cells << (p.image.cacheKey() == f.red.cacheKey() ? "red" : "blue");
            rects.push_back(p.rect);
        }
    }
    // Black: floor(0.7 x 2) = 1 (blue), then always the other one whatever is drawn, also
    // on the next pages; red has one picture for every dot.
    EXPECT_EQ(cells, QStringList({"blue", "red", "blue", "red", "red", "red"}));
    ASSERT_GE(rects.size(), 2u);
    EXPECT_EQ(rects[1], QRectF(10, 4, 9.8, 19.8));
    // Each file is loaded once; the one that cannot be loaded leaves its cell empty.
    EXPECT_EQ(f.loads, (std::vector<QString>{"blue.bmp", "red.bmp", "missing.bmp"}));
    // A colour without pictures prints its name (白: black in colour mode), or nothing
    // with noWhite.
    EXPECT_EQ(textsOf(plan.pages[3]), QStringList({"(2,2)", "白"}));
    o.noWhite = true;
    EXPECT_EQ(textsOf(f.planned(picture, {2, 1}, o).pages[3]), QStringList{"(2,2)"});
}

TEST(ChartExtras, EveryNthGridLineIsWide) {
    Fixture f;
    ChartOptions o = options({12, 3});
    o.boldEvery = 5;
    const auto lines = itemsOf<LineItem>(f.planned(filledBuffer(12, 3, B), {12, 3}, o).pages.at(0));
    ASSERT_EQ(lines.size(), 4u + 13u);  // 4 across, then 13 down
    for (size_t j = 0; j < 4; ++j)
        EXPECT_EQ(lines[j].widthMm, j == 0 ? kBoldLineWidthMm : 0.0) << "row line " << j;
    for (size_t i = 0; i < 13; ++i)
        EXPECT_EQ(lines[4 + i].widthMm, i % 5 == 0 ? kBoldLineWidthMm : 0.0) << "column line " << i;
}

// The cover and the legend count the whole picture, also when white sheets are left out.
TEST(ChartExtras, CoverAndLegendShowThePictureTheSheetGridAndTheReportsTotals) {
    Fixture f;
    f.symbols.colours[0].characters = QStringLiteral("●■");
    f.symbols.colours[0].flags = QStringLiteral("1,1");
    ChartOptions o = options({2, 2});
    o.cover = o.legend = o.skipWhitePages = true;
    ChartContext context = f.context();
    context.pictureName = QStringLiteral("cat.bmp");
    auto plan = planChart(fourColours(), {2, 2}, o, context);
    ASSERT_TRUE(plan) << plan.error();
    ASSERT_EQ(plan->pages.size(), 6u);  // the cover, four sheets and the legend
    const Page& cover = plan->pages[0];
    const auto pictures = itemsOf<PictureItem>(cover);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].image, toImage(fourColours()));
    const QRectF r = pictures[0].rect;
    // Landscape 297 x 210: the area is 277 x (136 - 40) mm, so the height decides.
    EXPECT_DOUBLE_EQ(r.height(), 96.0);
    EXPECT_DOUBLE_EQ(r.width(), 96.0 * 5 / 3);
    EXPECT_DOUBLE_EQ(r.left(), (297 - r.width()) / 2);
    // The red sheet grid, in dots: columns 0, 2, 4, 5 and rows 0, 2, 3.
    std::vector<double> across, down;
    for (const LineItem& l : itemsOf<LineItem>(cover)) {
        if (l.colour != QColor(255, 0, 0))
            continue;  // swatch outlines
        if (l.from.x() == l.to.x())
            across.push_back(std::round((l.from.x() - r.left()) / r.width() * 5 * 1e6) / 1e6);
        else
            down.push_back(std::round((l.from.y() - r.top()) / r.height() * 3 * 1e6) / 1e6);
    }
    EXPECT_EQ(across, (std::vector<double>{0, 2, 4, 5}));
    EXPECT_EQ(down, (std::vector<double>{0, 2, 3}));
    // The name, the sizes, the sheets and the totals as the report's count line has them.
    EXPECT_EQ(textsOf(cover), QStringList({"cat.bmp", "大きさ：5×3 ﾄﾞｯﾄ　1枚：2×2 ﾄﾞｯﾄ　3×2＝6枚",
                                           "(1,1)", "(2,1)", "(3,1)", "(1,2)", "(2,2)", "(3,2)",
                                           "色別の数", "黒＝3", "白＝7", "赤＝3", "黄＝2"}));
    // The counts three to a row across the area, each beside its swatch.
    // 10 mm margin, 4 mm swatch and 2 mm gap, then 277 / 3 mm apart; rows 6 mm apart.
    EXPECT_EQ(described(cover).mid(9),
              QStringList({"黒＝3 10 #000000 16.00,148.00", "白＝7 10 #000000 108.33,148.00",
                           "赤＝3 10 #000000 200.67,148.00", "黄＝2 10 #000000 16.00,154.00"}));
    // The legend below its headings: a row per colour of its name, symbols, count and sheets,
    // each column at its x in millimetres.
    const Page& legend = plan->pages.back();
    QStringList rows;
    for (const TextItem& t : itemsOf<TextItem>(legend)) {
        if (t.position.y() >= kLegendRowsTopMm)
            rows << QString("%1 %2").arg(t.position.x()).arg(t.text);
    }
    EXPECT_EQ(rows, QStringList({"22 黒", "32 ● ■", "237 3", "267 1枚",  //
                                 "22 白", "32 白", "237 7", "267 4枚",   //
                                 "22 赤", "32 赤", "237 3", "267 3枚",   //
                                 "22 黄", "32 黄", "237 2", "267 1枚"}));
    EXPECT_EQ(itemsOf<FilledRectItem>(legend).size(), 4u);
}

TEST(ChartPages, CountKnownFirstIsThePagesMadeOneByOne) {
    const struct {
        const char* name;
        bool cover, legend, skipWhite;
        const char* checked;  // "1" for each sheet checked, "0" for the others; "": every sheet
        int64_t pages;
        const char* sheets;  // the labels of the sheets made
    } cases[] = {
        {"every sheet", false, false, false, "", 6, "(1,1)(2,1)(3,1)(1,2)(2,2)(3,2)"},
        {"cover and legend", true, true, false, "", 8, "(1,1)(2,1)(3,1)(1,2)(2,2)(3,2)"},
        {"white sheets left out", false, false, true, "", 4, "(1,1)(2,1)(3,1)(1,2)"},
        {"checked sheets", false, true, false, "101001", 4, "(1,1)(3,1)(3,2)"},
        {"checked and white", true, false, true, "01011", 3, "(2,1)(1,2)"},
        {"nothing at all", false, false, true, "00001", 0, ""},
        {"nothing checked", false, false, false, "0", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.symbols.colours[0].characters = QStringLiteral("●■");
        f.symbols.colours[0].flags = QStringLiteral("1,1");
        f.draws.assign(10, 0.9);
        ChartOptions o = options({2, 2});
        o.cover = c.cover;
        o.legend = c.legend;
        o.skipWhitePages = c.skipWhite;
        o.printOnlyChecked = *c.checked != '\0';
        for (const char* k = c.checked; *k; ++k)
            o.checkedPages.push_back(*k == '1');
        const PixelBuffer picture = fourColours();  // the pages read it as they are made
        auto pages = ChartPages::create(picture, {2, 2}, o, f.context());
        ASSERT_TRUE(pages) << pages.error();
        EXPECT_EQ(pages->pageCount(), c.pages);
        EXPECT_EQ(f.drawn, 0);  // nothing drawn before the pages are made
        int64_t made = 0;
        QString sheets;
        while (auto page = pages->next()) {
            ++made;
            if (const QString first = textsOf(*page).value(0); first.startsWith(u'('))
                sheets += first;
            // Sheet (1,1), made first: three 黒 and one 赤, one number drawn for each.
            if (made == 1 + c.cover && sheets == "(1,1)") {
                EXPECT_EQ(f.drawn, 4);
                EXPECT_EQ(textsOf(*page).value(1), "■");
            }
        }
        EXPECT_EQ(made, c.pages);
        EXPECT_EQ(sheets, c.sheets);
        EXPECT_FALSE(pages->next());
    }
}

// A chart of more than 10,000 pages, and more than 10,000 chart images, are refused.
TEST(ChartPages, DocumentsOfMoreThanTenThousandPagesOrImagesAreRefused) {
    const PixelBuffer square = filledBuffer(100, 100, W);
    const PixelBuffer wider = filledBuffer(101, 100, W);
    const PixelBuffer oneMore = filledBuffer(73, 137, W);  // 10,001 dots
    const struct {
        const char* name;
        const PixelBuffer& picture;
        bool cover, skipWhite, checkFew, refused;
    } cases[] = {
        {"10,000 sheets", square, false, false, false, false},
        {"10,000 sheets and a cover", square, true, false, false, true},
        {"10,001 sheets", oneMore, false, false, false, true},
        {"10,100 sheets", wider, false, false, false, true},
        {"10,100 sheets, two checked", wider, true, false, true, false},
        {"10,100 white sheets left out", wider, true, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        ChartOptions o = options({1, 1});
        o.cover = c.cover;
        o.skipWhitePages = c.skipWhite;
        o.printOnlyChecked = c.checkFew;
        o.checkedPages = {true, false, true};
        auto pages = ChartPages::create(c.picture, {1, 1}, o, f.context());
        EXPECT_EQ(!pages, c.refused);
        if (!pages) {
            EXPECT_THAT(pages.error(), HasSubstr("more than the 10000 pages"));
        }
        if (c.cover || c.checkFew)
            continue;
        // One image per sheet; a folder that cannot be examined leaves only the count.
        auto images = ChartImages::create(c.picture, {1, 1}, PageOrientation::Portrait, false,
                                          f.context(fixedPixels));
        ASSERT_TRUE(images);
        auto fits = checkChartImagesFit(*images, "/no/such/folder/img");
        EXPECT_EQ(!fits, c.refused);
        if (!fits) {
            EXPECT_THAT(fits.error(),
                        HasSubstr(std::to_string(images->count()) + " files, more than the 10000"));
        }
        EXPECT_EQ(f.drawn, 0);
    }
    // 10,000 images of 12 x 297 by 16 x 210 pixels, 36 MB each, where they do not fit.
    Fixture f;
    QTemporaryDir dir;
    auto most = ChartImages::create(square, {1, 1}, PageOrientation::Portrait, false,
                                    f.context(fixedPixels));
    ASSERT_TRUE(most);
    if (QStorageInfo(dir.path()).bytesAvailable() < int64_t{10000} * most->fileBytes()) {
        auto fits = checkChartImagesFit(*most, dir.filePath("img"));
        ASSERT_FALSE(fits);
        EXPECT_THAT(fits.error(), HasSubstr("free"));
    }
}

TEST(ChartImages, PlanPerSheetWithoutWhiteDots) {
    Fixture f;
    f.symbols.colours[2].flags = "0";  // 赤 without candidates: "."
    const PixelBuffer picture = makeBuffer({{B, W, R}, {W, B, W}, {R, R, R}});
    const auto plan = [&](PageOrientation orientation, bool colour, TextMeasure measure) {
        return planChartImages(picture, {2, 2}, orientation, colour, f.context(measure));
    };
    auto images = plan(PageOrientation::Landscape, true, fixedPixels);
    ASSERT_TRUE(images) << images.error();
    EXPECT_EQ(QSize(images->widthPx, images->heightPx), QSize(12 * 210, 16 * 297));
    EXPECT_EQ(images->suffixes, QStringList({"(1,1).bmp", "(2,1).bmp", "(1,2).bmp", "(2,2).bmp"}));
    ASSERT_EQ(images->plan.pages.size(), 4u);
    // The two black dots of the first sheet, white staying empty, in the symbol font at 9
    // points; in pixels of the surface, "." centred: (12 - 4) / 2.
    EXPECT_EQ(described(images->plan.pages[0], kMmPerPixel),
              QStringList({"黒 9 #000000 0.00,0.00", "黒 9 #000000 12.00,16.00"}));
    EXPECT_EQ(described(images->plan.pages[1], kMmPerPixel),
              QStringList({". 9 #ff0000 4.00,0.00"}));
    EXPECT_EQ(itemsOf<TextItem>(images->plan.pages[0])[1].font.family, "Symbol Font");
    EXPECT_EQ(images->plan.pages[2].items.size(), 2u);
    EXPECT_EQ(f.drawn, 2);  // only dots with candidates draw a number
    images = plan(PageOrientation::Portrait, false, fixedPixels);
    ASSERT_TRUE(images);
    EXPECT_EQ(QSize(images->widthPx, images->heightPx), QSize(12 * 297, 16 * 210));
    EXPECT_EQ(std::get<TextItem>(images->plan.pages[1].items[0]).colour, QColor(Qt::black));
    EXPECT_FALSE(plan(PageOrientation::Portrait, false,
                      [](const TextFont&, const QString&) { return TextExtent{}; }));
}

// A plan's images and those made one at a time are the same files, in sheet order.
TEST(ChartImages, SavedWholeInSheetOrder) {
    QTemporaryDir dir;
    Fixture f, g;
    const PixelBuffer picture =
        makeBuffer({{B, W, W, W}, {W, W, W, R}, {W, W, W, W}, {W, W, W, W}});
    auto plan = planChartImages(picture, {2, 2}, PageOrientation::Landscape, true,
                                f.context(chartImageTextMeasure()));
    auto images = ChartImages::create(picture, {2, 2}, PageOrientation::Landscape, true,
                                      g.context(chartImageTextMeasure()));
    ASSERT_TRUE(plan && images);
    EXPECT_EQ(images->count(), 4);
    EXPECT_EQ(images->fileBytes(), 54 + (images->widthPx() * 3 + 3) / 4 * 4 * images->heightPx());
    auto saved = saveChartImages(*plan, chartImageBase(dir.filePath("cat.jpg"), QTime(10, 0)));
    auto streamed = saveChartImages(*images, dir.filePath("one"));
    ASSERT_TRUE(saved && streamed);
    ASSERT_EQ(saved->size(), 4);
    ASSERT_EQ(streamed->size(), 4);
    const QStringList names = {"(1,1)", "(2,1)", "(1,2)", "(2,2)"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ((*saved)[i], dir.filePath("cat.jpg_Cnv36000" + names[i] + ".bmp"));
        EXPECT_EQ((*streamed)[i], dir.filePath("one" + names[i] + ".bmp"));
        EXPECT_EQ(test::readBytes((*saved)[i]), test::readBytes((*streamed)[i])) << i;
    }
    auto first = loadPictureImage((*saved)[0]);
    auto second = loadPictureImage((*saved)[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->size(), QSize(plan->widthPx, plan->heightPx));
    const int cw = plan->widthPx / 210;
    const int ch = plan->heightPx / 297;
    auto notWhite = [](QRgb p) { return (p & 0xFFFFFF) != 0xFFFFFF; };
    auto black = [](QRgb p) { return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; };
    auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 120 && qBlue(p) < 120; };
    // 黒 in its cell in black, nothing else on the first image; 赤 in red on the second.
    EXPECT_GT(countPixels(*first, 0, 0, cw, ch, black), 5);
    EXPECT_EQ(countPixels(*first, 0, 0, cw, ch, notWhite),
              countPixels(*first, 0, 0, first->width(), first->height(), notWhite));
    EXPECT_GT(countPixels(*second, cw, ch, 2 * cw, 2 * ch, red), 5);
    EXPECT_EQ(countPixels(*second, 0, 0, cw, 2 * ch, notWhite), 0);
    // A file that cannot be written stops the save with an error naming it.
    auto failed = saveChartImages(*plan, dir.filePath("missing/base"));
    ASSERT_FALSE(failed);
    EXPECT_THAT(failed.error(), HasSubstr("missing"));
}

// A row of twelve images, (n,1) taken by a folder: the images before it stay and are named,
// each up to ten of them, the first and last of more; nothing is drawn before they are made.
TEST(ChartImages, MadeOneAtATimeAndAFailedSaveNamesTheFilesWritten) {
    const TextMeasure onePixel = [](const TextFont&, const QString&) {
        return TextExtent{kMmPerPixel, kMmPerPixel};
    };
    for (int blocked : {3, 11, 12}) {
        SCOPED_TRACE(blocked);
        QTemporaryDir dir;
        Fixture g;
        const PixelBuffer row = filledBuffer(12, 1, B);
        auto made = ChartImages::create(row, {1, 1}, PageOrientation::Landscape, false,
                                        g.context(onePixel));
        ASSERT_TRUE(made);
        const QString base = dir.filePath("img");
        ASSERT_TRUE(checkChartImagesFit(*made, base));
        EXPECT_EQ(g.drawn, 0);
        ASSERT_TRUE(QDir(dir.path()).mkdir(QString("img(%1,1).bmp").arg(blocked)));
        QStringList heard;
        auto saved = saveChartImages(*made, base, [&](const QString& path) { heard << path; });
        ASSERT_FALSE(saved);
        ASSERT_EQ(heard.size(), blocked - 1);
        EXPECT_EQ(heard.front(), base + "(1,1).bmp");
        EXPECT_EQ(g.drawn, blocked);  // the blocked image painted but not saved
        EXPECT_FALSE(QFileInfo::exists(QString("%1(%2,1).bmp").arg(base).arg(blocked + 1)));
        for (const QString& path : heard) {
            EXPECT_TRUE(QFileInfo(path).isFile());
            EXPECT_EQ(saved.error().find('"' + path.toStdString() + '"') != std::string::npos,
                      blocked <= 11 || path == heard.front() || path == heard.back())
                << saved.error();
        }
        EXPECT_EQ(saved.error().find("11 files from") != std::string::npos, blocked == 12);
    }
}

}  // namespace
}  // namespace kirimo::printing
