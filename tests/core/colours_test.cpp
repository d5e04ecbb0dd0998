// The colour table, EditCol.ini, the bead colour sets and the dominant colour.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <set>

#include "core/colour_sets.h"
#include "core/colour_table.h"
#include "imaging/cielab.h"
#include "imaging/dominant_colour.h"
#include "support/test_support.h"

namespace kirimo {
namespace {

using test::makeBuffer;
using test::readBytes;
using test::writeBytes;

TEST(ColourTable, StartUpEntriesNamesPackedValuesAndPaletteKinds) {
    const ColourTable table;
    const struct {
        int n;
        const char* name;
        int packed;
    } entries[] = {{0, "黒", 0},        {2, "赤", 240},       {3, "青", 16711680},
                   {8, "桃", 0xBBB0FF}, {10, "橙", 0x0B85FF}, {16, "銀", 0xC0C0C0},
                   {17, "自", 0x808080}};
    for (const auto& e : entries) {
        EXPECT_EQ(colourName(e.n), QString::fromUtf8(e.name));
        EXPECT_EQ(table[e.n].packed, e.packed) << e.n;
    }
    EXPECT_EQ(colourName(18), "");
    // The colour differences with their single-precision steps.
    const struct {
        int n;
        float y, ry, by;
    } yccs[] = {
        // 240 - Y lies halfway between two singles; the even one is taken (not 168.24f).
        {2, 71.76f, 168.239990234375f, -71.76f},
        {8, 200.875f, 54.125f, -13.875f},
        {17, 128.0f, 0.0f, 0.0f},
    };
    for (const auto& c : yccs) {
        const Ycc& ycc = table[c.n].ycc;
        EXPECT_EQ(std::tuple(ycc.y, ycc.ry, ycc.by), std::tuple(c.y, c.ry, c.by)) << c.n;
    }
    // The palette and the kinds 0 to 4 feed every pinned conversion checksum; past them, none.
    EXPECT_TRUE(paletteColours(5).empty());
    EXPECT_TRUE(paletteColours(-1).empty());
}

TEST(ColourTable, EditColIniIsReadInEitherCaseAndAnythingElseGivesTheDefaultGrey) {
    // The first two are read (and saved in capitals, alone); the rest give 808080.
    const QByteArray files[] = {"050ac8\r\n", "FF8000,more text\nsecond line\n",
                                "",           "\r\n",
                                "zzzzzz",     "12345",
                                "1234567",    ",808080",
                                "GG0000",     "\xFF\xFE"};
    const int read[] = {0xC80A05, 0x0080FF};
    const QByteArray saved[] = {"050AC8\r\n", "FF8000\r\n"};
    for (size_t i = 0; i < std::size(files); ++i) {
        SCOPED_TRACE(files[i].toHex().toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(writeBytes(dir.filePath("EditCol.ini"), files[i]));
        ColourTable table;
        table.setUserColourComponent(0, 1);
        table.init(dir.path());
        const int packed = i < 2 ? read[i] : 0x808080;
        EXPECT_EQ(table[17].packed, packed);
        EXPECT_EQ(table[17].red + 256 * table[17].green + 65536 * table[17].blue, packed);
        if (i < 2) {
            ASSERT_TRUE(table.saveUserColour(dir.path()).ok());
            EXPECT_EQ(readBytes(dir.filePath("EditCol.ini")), saved[i]);
        }
    }
}

TEST(GetColorNumber, NearestPackedValueLowerNumberOnTiesAndTheUserColour) {
    ColourTable table;
    for (int n = 0; n < kColourCount; ++n)
        EXPECT_EQ(getColorNumber(table[n].packed, table), n) << n;
    const struct {
        int packed, colour;
    } cases[] = {
        {30592, 7},         // halfway between 深 (0x006400) and 緑 (0x008B00)
        {30591, 13},        //
        {121, 9},           // 茶 (139) is nearer than 黒 and 赤
        {0x00F000 + 1, 4},  //
        {255 + 65536, 5}    // packed values, not colours: (255, 0, 1) lands on 黄
    };
    for (const auto& c : cases)
        EXPECT_EQ(getColorNumber(c.packed, table), c.colour) << c.packed;
    table.setUserColourComponent(0, 10);
    table.setUserColourComponent(1, 20);
    table.setUserColourComponent(2, 30);
    EXPECT_EQ(table[17].packed, 0x1E140A);
    EXPECT_EQ(table[17].ycc.y, rgbToYcc(10, 20, 30).y);
    EXPECT_EQ(getColorNumber(0x1E140A, table), 17);
}

const std::vector<ProductLine>& shippedLines() {
    static const std::vector<ProductLine> lines = loadProductLines(beadColourFolder({}));
    return lines;
}

// The binding worked out another way: every bead ranked by its difference to the wanted
// colour (stable, so ties keep the file's order), the first whose colour is still free.
ColourBinding rankedBinding(const std::vector<Bead>& beads, Rgb user) {
    const ColourTable standard;
    ColourBinding binding{};
    std::set<std::tuple<int, int, int>> taken;
    for (int n = 0; n < kColourCount; ++n) {
        const Rgb want = n == kUserColourNumber
                             ? user
                             : Rgb{standard[n].red, standard[n].green, standard[n].blue};
        std::vector<size_t> order(beads.size());
        std::iota(order.begin(), order.end(), 0);
        const Lab target = srgbToLab(want.red, want.green, want.blue);
        auto difference = [&](size_t i) {
            return ciede2000(target, srgbToLab(beads[i].red, beads[i].green, beads[i].blue));
        };
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return difference(a) < difference(b); });
        for (size_t i : order) {
            if (taken.insert({beads[i].red, beads[i].green, beads[i].blue}).second) {
                binding[static_cast<size_t>(n)] = static_cast<int>(i);
                break;
            }
        }
    }
    return binding;
}

TEST(ColourSets, EveryShippedLineLoadsAndBindsAsTheRankingSays) {
    QStringList skipped;
    const auto lines = loadProductLines(beadColourFolder({}), &skipped);
    EXPECT_EQ(lines.size(), 15u);
    EXPECT_TRUE(skipped.isEmpty()) << skipped.join('\n').toStdString();
    for (const char* id : {"hama", "perler", "nabbi"}) {
        SCOPED_TRACE(id);
        const ProductLine* line = findProductLine(lines, id);
        ASSERT_NE(line, nullptr);
        const ColourBinding binding = automaticBinding(line->beads, {30, 200, 90});
        EXPECT_EQ(binding, rankedBinding(line->beads, {30, 200, 90}));
        EXPECT_TRUE(bindingValid(binding, line->beads));
        EXPECT_TRUE(
            std::all_of(binding.begin(), binding.end(), [](auto b) { return b.has_value(); }));
    }
    const ProductLine* hama = findProductLine(lines, "hama");
    EXPECT_EQ(hama->beads[static_cast<size_t>(*automaticBinding(hama->beads, {}).at(0))].code,
              "H18");
    // A line with few distinct colours binds those in order and leaves the rest unbound.
    const std::vector<Bead> few = {
        {"A", "Ink", 10, 10, 10}, {"B", "Snow", 250, 250, 250}, {"C", "Also ink", 10, 10, 10}};
    ColourBinding sparse{};
    sparse[0] = 0, sparse[1] = 1;
    EXPECT_EQ(automaticBinding(few, {128, 128, 128}), sparse);
}

TEST(ColourSets, BeadFilesAreCheckedLineByLine) {
    const struct {
        QStringList lines;
        const char* refusal;  // nullptr: accepted
    } cases[] = {{{"H01,White,!,0,255,241,1,2,3,4,5,6,x", "", "H02,Cream,#,228,228,197"}, nullptr},
                 {{"H01,White,!,229,236"}, "line 1: expected"},
                 {{"H01,White,!,1,2,-1"}, "0 to 255"},
                 {{",White,!,1,2,3"}, "no code"},
                 {{"H01,White,!,1,2,256"}, "0 to 255"},
                 {{"H01,White,!,1,x,3"}, "0 to 255"},
                 {{"H01,A,!,1,2,3", "H01,B,!,4,5,6"}, "given twice"},
                 {{}, "no bead"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.join('|').toStdString());
        auto beads = parseBeadLines(c.lines);
        ASSERT_EQ(beads.ok(), c.refusal == nullptr);
        if (c.refusal == nullptr) {
            EXPECT_EQ(beads->back(), (Bead{"H02", "Cream", 228, 228, 197}));
        } else {
            EXPECT_NE(beads.error().find(c.refusal), std::string::npos) << beads.error();
        }
    }
    // A line holds at most kMaxBeadsPerLine beads.
    QStringList many;
    for (int i = 0; i < kMaxBeadsPerLine; ++i)
        many << QStringLiteral("C%1,n,!,1,2,3").arg(i);
    const auto all = parseBeadLines(many);
    ASSERT_TRUE(all.ok()) << all.error();
    EXPECT_EQ(all->size(), size_t(kMaxBeadsPerLine));
    many << "last,n,!,1,2,3";
    auto refused = parseBeadLines(many);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("more than 4096 beads"), std::string::npos) << refused.error();
}

TEST(ColourSets, TheSettingsFileComesBackAndAnythingWrongMeansTheStandardSet) {
    const auto& lines = shippedLines();
    const ProductLine* perler = findProductLine(lines, "perler");
    ASSERT_NE(perler, nullptr);
    ColourSetChoice choice{"perler", automaticBinding(perler->beads, {128, 128, 128})};
    std::swap(choice.binding[2], choice.binding[3]);  // the user's own binding
    choice.binding[16].reset();
    const QStringList stored = colourSetLines(choice, perler);
    ASSERT_EQ(stored.size(), 19);
    const ColourSetChoice back = parseColourSetLines(stored, lines);
    EXPECT_EQ(back.id, "perler");
    EXPECT_EQ(back.binding, choice.binding);
    QStringList duplicate = stored;
    duplicate[5] = duplicate[4];
    QStringList unknownCode = stored;
    unknownCode[7] = "NO-SUCH";
    for (const QStringList& bad : {QStringList{}, QStringList{""}, QStringList{"no_such_line"},
                                   stored.mid(0, 18), duplicate, unknownCode}) {
        EXPECT_TRUE(parseColourSetLines(bad, lines).isStandard()) << bad.join('|').toStdString();
    }
}

TEST(ColourSets, ATableInASetUsesItsBeadsAndGivesTheStandardTableBack) {
    const auto& lines = shippedLines();
    const ProductLine* hama = findProductLine(lines, "hama");
    ASSERT_NE(hama, nullptr);
    ColourTable table;
    table.setUserColourComponent(0, 10);
    const Palette standardPalette = table.palette();
    ColourSetChoice choice{"hama", automaticBinding(hama->beads, {10, 128, 128})};
    choice.binding[5].reset();
    applyColourSetChoice(table, choice, lines);
    EXPECT_EQ(table.colourSetName(), "Hama midi (5 mm)");
    EXPECT_FALSE(table.usable(5));
    table.setUserColourComponent(1, 0);  // no effect: 自 is a bead
    for (int n = 0; n < kColourCount; ++n) {
        if (n == 5)
            continue;
        const Bead& bead =
            hama->beads[static_cast<size_t>(*choice.binding[static_cast<size_t>(n)])];
        EXPECT_EQ(table.bead(n)->code, bead.code) << n;
        EXPECT_EQ(table[n].packed, bead.red + 256 * bead.green + 65536 * bead.blue) << n;
        EXPECT_EQ(getColorNumber(table[n].packed, table), n);
    }
    EXPECT_NE(getColorNumber(ColourTable()[5].packed, table), 5);  // maps to a bound colour
    applyColourSetChoice(table, {}, lines);
    EXPECT_TRUE(table.colourSetId().isEmpty());
    for (int n = 0; n < kColourCount; ++n) {
        EXPECT_TRUE(table.usable(n));
        EXPECT_EQ(table.palette()[static_cast<size_t>(n)].red,
                  standardPalette[static_cast<size_t>(n)].red);
    }
    EXPECT_EQ(table[kUserColourNumber].red, 10);
}

constexpr Pixel R = 0xF00000;  // colour 2 exactly
constexpr Pixel W = 0xFFFFFF;  // colour 1
constexpr Pixel K = 0x000000;  // colour 0

// Straight from the rule, column by column, with a plain search.
DominantCounts referenceCounts(const PixelBuffer& picture, const Palette& palette) {
    DominantCounts counts{};
    int previous = -1;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            const Pixel p = picture.at(x, y);
            int best = 765, colour = 0;
            for (int k = 0; k < 17; ++k) {
                const int d = std::abs(palette[k].red - pixelRed(p)) +
                              std::abs(palette[k].green - pixelGreen(p)) +
                              std::abs(palette[k].blue - pixelBlue(p));
                if (d < best)
                    best = d, colour = k;
            }
            counts[colour] += (colour == previous && colour >= 2 && colour <= 15) ? 2 : 1;
            previous = colour;
        }
    }
    return counts;
}

TEST(DominantColour, RunsOfColoursTwoToFifteenCountDoubleAsThePlainRuleSays) {
    const Palette palette = ColourTable().palette();
    const struct {
        const char* what;
        PixelBuffer picture;
        int dominant;
        int64_t dominantCount;
    } cases[] = {{"left half red", makeBuffer({{R, R, W, W}, {R, R, W, W}}), 2, 7},
                 {"top half red", makeBuffer({{R, R}, {R, R}, {W, W}, {W, W}}), 2, 6},
                 {"columns, not rows", makeBuffer({{R, W}, {R, W}}), 2, 3},
                 {"a column runs on into the next", makeBuffer({{W, R}, {R, W}}), 2, 3},
                 {"broken runs tie, lower number", makeBuffer({{R, W}, {W, R}}), 1, 2},
                 {"black never doubles", makeBuffer({{K, R}, {K, K}}), 0, 3},
                 {"no pixels", PixelBuffer{}, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(DominantColourFinder(palette).counts(c.picture)[c.dominant], c.dominantCount)
            << c.what;
        EXPECT_EQ(dominantColour(c.picture, palette), c.dominant) << c.what;
    }
    DominantColourFinder finder(palette);     // the user colour is 808080
    EXPECT_EQ(finder.nearest(0x808080), 11);  // purple 800080, the nearest fixed colour
    EXPECT_EQ(finder.nearest(0xFF000000u | W), 1) << "the top byte is not a colour";
    // A finder reused across pictures (its cache warm) agrees with the plain rule.
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const PixelBuffer picture = test::randomPicture(37, 23, seed, seed == 3 ? 0xC0C0C0 : W);
        const DominantCounts expected = referenceCounts(picture, palette);
        EXPECT_EQ(finder.counts(picture), expected) << seed;
        EXPECT_EQ(finder.dominantColour(picture), dominantOf(expected)) << seed;
    }
}

}  // namespace
}  // namespace kirimo
