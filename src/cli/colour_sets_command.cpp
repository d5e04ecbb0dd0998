// kirimo-cli colour-sets [ID] [--user-colour RRGGBB]

#include <algorithm>

#include "cli/cli_command.h"
#include "cli/colour_set_option.h"
#include "core/colour_table.h"

namespace kirimo::cli {

namespace {

constexpr const char* kUsage =
    "colour-sets [ID] [--user-colour RRGGBB]\n"
    "Without ID: every colour set (bead product line): id, name and number of beads.\n"
    "With ID: the bead each of the 18 colours is bound to: ColourNumber, name, code, bead\n"
    "name, RRGGBB (colour 17 is the bead nearest to --user-colour, default 808080).";

int runColourSets(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList rest = args;
    ColourTable table;
    const qsizetype flag = rest.indexOf(QStringLiteral("--user-colour"));
    if (flag >= 0) {
        const auto rgb = flag + 1 < rest.size() ? parseColourText(rest[flag + 1]) : std::nullopt;
        if (!rgb) {
            err << "kirimo-cli colour-sets: --user-colour must be six hexadecimal digits RRGGBB\n";
            return kExitUsage;
        }
        table.setUserColourComponent(0, rgb->red);
        table.setUserColourComponent(1, rgb->green);
        table.setUserColourComponent(2, rgb->blue);
        rest.remove(flag, 2);
    }
    if (rest.size() > 1 || (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--")))) {
        err << "kirimo-cli colour-sets: expected at most one colour set id\nUsage: kirimo-cli "
            << kUsage << "\n";
        return kExitUsage;
    }
    const auto& lines = shippedProductLines();
    if (rest.isEmpty()) {
        if (lines.empty()) {
            err << "kirimo-cli colour-sets: no colour sets are installed\n";
            return kExitFailure;
        }
        std::vector<const ProductLine*> sorted;
        for (const ProductLine& line : lines)
            sorted.push_back(&line);
        std::sort(sorted.begin(), sorted.end(),
                  [](const ProductLine* a, const ProductLine* b) { return a->id < b->id; });
        for (const ProductLine* line : sorted)
            out << line->id << '\t' << line->name << '\t' << line->beads.size() << "\n";
        return kExitOk;
    }
    if (auto applied = applyColourSetOption(table, rest.first(), std::nullopt); !applied) {
        err << "kirimo-cli colour-sets: " << QString::fromStdString(applied.error()) << "\n";
        return kExitUsage;
    }
    for (int n = 0; n < kColourCount; ++n) {
        out << n << '\t' << colourName(n) << '\t';
        if (const auto& bead = table.bead(n)) {
            out << bead->code << '\t' << bead->name << '\t' << table[n].text << "\n";
        } else {
            out << "-\tnot in this set\t-\n";
        }
    }
    return kExitOk;
}

[[maybe_unused]] const bool registered =
    registerCommand({"colour-sets", "colour-sets [ID] [--user-colour RRGGBB]", runColourSets});

}  // namespace

}  // namespace kirimo::cli
