#pragma once
// Colour sets: the eighteen named colours bound to beads of one real product line (Hama,
// Perler, Artkal, ...), so that a dot picture is drawn in colours a maker can buy. Each
// product line is a CSV file of measured bead colours shipped with the program; the
// standard set binds nothing and is the program's own table.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "core/colour_table.h"
#include "imaging/palette.h"
#include "imaging/result.h"

namespace kirimo {

// One bead of a product line: the maker's code, its name and its measured colour.
struct Bead {
    QString code;
    QString name;
    int red = 0;
    int green = 0;
    int blue = 0;

    bool operator==(const Bead&) const = default;
};

// A product line: its id (the data file's stem, "hama", "artkal_s"), a readable name and
// its beads in the file's order.
struct ProductLine {
    QString id;
    QString name;
    std::vector<Bead> beads;
};

// Product line files hold at most this many beads and bytes; larger ones are refused.
inline constexpr int kMaxBeadsPerLine = 4096;

// The beads of a product line's CSV text: lines "code,name,symbol,red,green,blue,..." of at
// least six fields. Refused, naming the line: a line with fewer fields, an empty code, a
// colour component that is not a whole number 0 to 255, a code given twice, too many
// beads, or no bead at all.
Result<std::vector<Bead>> parseBeadLines(const QStringList& lines);

// The readable name of a product line id ("Hama midi (5 mm)" for "hama"), and a short one
// for narrow lists ("Hama midi"); the id itself for one the program does not know.
QString productLineName(const QString& id);
QString productLineShortName(const QString& id);

// Every product line in `folder` (each *.csv), in the order of their readable names.
// Files that cannot be read or parsed are left out and named in `skipped`.
std::vector<ProductLine> loadProductLines(const QString& folder, QStringList* skipped = nullptr);

// The folder of the shipped product lines: next to the program when installed
// (../share/kirimo/bead-colours from its folder), else the source tree's data folder.
// Empty when neither exists.
QString beadColourFolder(const QString& programFolder);

// Which bead of a line each ColourNumber is bound to: an index into the line's beads, or
// nothing when that colour is not usable in the set.
using ColourBinding = std::array<std::optional<int>, kColourCount>;

// The automatic binding: ColourNumbers 0 to 16 in turn take the bead nearest (CIEDE2000) to
// their standard colour among the beads whose colour no earlier number took, ties to the
// bead listed first; then 17 takes the nearest to `userColour` the same way. A line with
// fewer distinct colours than 18 binds as many as it has, in that order.
ColourBinding automaticBinding(const std::vector<Bead>& beads, Rgb userColour);

// Whether a binding is one a set may use: indices inside the line, no bead bound twice and
// no two bound beads of the same colour.
bool bindingValid(const ColourBinding& binding, const std::vector<Bead>& beads);

// The colour set in use: the standard table (an empty id), or a product line with its
// binding.
struct ColourSetChoice {
    QString id;  // empty: the standard set
    ColourBinding binding{};

    bool isStandard() const { return id.isEmpty(); }
};

// ColourSet.ini in the settings folder: the first line the product line's id ("" for the
// standard set), then one line per ColourNumber 0 to 17 with the code of its bead (empty
// when the colour is unbound).
inline constexpr const char* kColourSetFileName = "ColourSet.ini";
QStringList colourSetLines(const ColourSetChoice& choice, const ProductLine* line);

// The choice a ColourSet.ini holds, checked against the shipped lines; the standard set
// for a missing, unreadable or malformed file, an unknown line, an unknown code or a
// binding that is not valid.
ColourSetChoice parseColourSetLines(const QStringList& lines,
                                    const std::vector<ProductLine>& productLines);

// Binds `table` to the choice (the standard set for an unknown line).
void applyColourSetChoice(ColourTable& table, const ColourSetChoice& choice,
                          const std::vector<ProductLine>& productLines);

// The product line of that id, or nullptr.
const ProductLine* findProductLine(const std::vector<ProductLine>& lines, const QString& id);

}  // namespace kirimo
