#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <numeric>
#include <set>

#include "core/colour_sets.h"
#include "imaging/cielab.h"

namespace kirimo {
namespace {

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
        const Rgb user{30, 200, 90};
        const ColourBinding binding = automaticBinding(line->beads, user);
        EXPECT_EQ(binding, rankedBinding(line->beads, user));
        EXPECT_TRUE(bindingValid(binding, line->beads));
        EXPECT_TRUE(
            std::all_of(binding.begin(), binding.end(), [](auto b) { return b.has_value(); }));
    }
    // Black takes Hama's black.
    const ProductLine* hama = findProductLine(lines, "hama");
    EXPECT_EQ(hama->beads[static_cast<size_t>(*automaticBinding(hama->beads, {}).at(0))].code,
              "H18");
}

TEST(ColourSets, ALineWithFewDistinctColoursBindsThoseInOrder) {
    const std::vector<Bead> beads = {
        {"A", "Ink", 10, 10, 10}, {"B", "Snow", 250, 250, 250}, {"C", "Also ink", 10, 10, 10}};
    const ColourBinding binding = automaticBinding(beads, {128, 128, 128});
    EXPECT_EQ(binding[0], 0);
    EXPECT_EQ(binding[1], 1);
    for (int n = 2; n < kColourCount; ++n)
        EXPECT_FALSE(binding[static_cast<size_t>(n)].has_value()) << n;
}

TEST(ColourSets, BeadFilesAreCheckedLineByLine) {
    struct Case {
        QStringList lines;
        const char* refusal;  // nullptr: accepted
    };
    const Case cases[] = {
        {{"H01,White,!,229,236,241,1,2,3,4,5,6,x", "", "H02,Cream,#,228,228,197"}, nullptr},
        {{"H01,White,!,229,236"}, "line 1: expected"},
        {{",White,!,1,2,3"}, "no code"},
        {{"H01,White,!,1,2,256"}, "0 to 255"},
        {{"H01,White,!,1,x,3"}, "0 to 255"},
        {{"H01,A,!,1,2,3", "H01,B,!,4,5,6"}, "given twice"},
        {{}, "no bead"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join('|').toStdString());
        auto beads = parseBeadLines(c.lines);
        if (c.refusal == nullptr) {
            ASSERT_TRUE(beads.ok()) << beads.error();
            EXPECT_EQ(beads->back(), (Bead{"H02", "Cream", 228, 228, 197}));
        } else {
            ASSERT_FALSE(beads.ok());
            EXPECT_NE(beads.error().find(c.refusal), std::string::npos) << beads.error();
        }
    }
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
                                   stored.mid(0, 10), duplicate, unknownCode}) {
        SCOPED_TRACE(bad.join('|').toStdString());
        EXPECT_TRUE(parseColourSetLines(bad, lines).isStandard());
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
        SCOPED_TRACE(n);
        if (n == 5)
            continue;
        const Bead& bead =
            hama->beads[static_cast<size_t>(*choice.binding[static_cast<size_t>(n)])];
        EXPECT_EQ(table.bead(n)->code, bead.code);
        EXPECT_EQ(table[n].packed, bead.red + 256 * bead.green + 65536 * bead.blue);
        EXPECT_EQ(getColorNumber(table[n].packed, table), n);
    }
    // The unbound colour's own value maps to a bound one.
    EXPECT_NE(getColorNumber(ColourTable()[5].packed, table), 5);

    applyColourSetChoice(table, {}, lines);
    EXPECT_TRUE(table.colourSetId().isEmpty());
    for (int n = 0; n < kColourCount; ++n) {
        EXPECT_TRUE(table.usable(n));
        EXPECT_EQ(table.palette()[static_cast<size_t>(n)].red,
                  standardPalette[static_cast<size_t>(n)].red);
    }
    EXPECT_EQ(table[kUserColourNumber].red, 10);
}

}  // namespace
}  // namespace kirimo
