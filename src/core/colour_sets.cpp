#include "core/colour_sets.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <map>
#include <set>

#include "core/text_file.h"
#include "imaging/cielab.h"

namespace kirimo {

namespace {

// The shipped lines' readable names; a line the program does not know shows its id.
const std::map<QString, QString>& knownNames() {
    static const std::map<QString, QString> names = {
        {"hama", "Hama midi (5 mm)"},
        {"hama_mini", "Hama mini (2.5 mm)"},
        {"hama_maxi", "Hama maxi (10 mm)"},
        {"perler", "Perler (5 mm)"},
        {"perler_mini", "Perler mini (2.6 mm)"},
        {"perler_caps", "Perler caps"},
        {"nabbi", "Nabbi"},
        {"artkal_s", "Artkal S (5 mm)"},
        {"artkal_r", "Artkal R (5 mm)"},
        {"artkal_a", "Artkal A (2.6 mm)"},
        {"artkal_c", "Artkal C (2.6 mm)"},
        {"artkal_m", "Artkal M (2.6 mm)"},
        {"mard", "Mard (2.6 mm)"},
        {"yant", "Yant"},
        {"diamondDotz", "Diamond Dotz (diamond painting)"},
    };
    return names;
}

std::optional<int> component(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 255)
        return std::nullopt;
    return value;
}

int packedOf(const Bead& bead) {
    return bead.red + 256 * bead.green + 65536 * bead.blue;
}

}  // namespace

Result<std::vector<Bead>> parseBeadLines(const QStringList& lines) {
    std::vector<Bead> beads;
    std::set<QString> codes;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        const std::string where = "line " + std::to_string(i + 1);
        const QStringList fields = lines[i].split(u',');
        if (fields.size() < 6)
            return makeError(where + ": expected code,name,symbol,red,green,blue");
        const QString code = fields[0].trimmed();
        if (code.isEmpty())
            return makeError(where + ": the bead has no code");
        const auto red = component(fields[3]);
        const auto green = component(fields[4]);
        const auto blue = component(fields[5]);
        if (!red || !green || !blue)
            return makeError(where + ": red, green and blue must be whole numbers 0 to 255");
        if (!codes.insert(code).second)
            return makeError(where + ": the code " + code.toStdString() + " is given twice");
        if (beads.size() >= static_cast<size_t>(kMaxBeadsPerLine))
            return makeError("more than " + std::to_string(kMaxBeadsPerLine) + " beads");
        beads.push_back(Bead{code, fields[1].trimmed(), *red, *green, *blue});
    }
    if (beads.empty())
        return makeError("the file holds no bead");
    return beads;
}

QString productLineName(const QString& id) {
    const auto found = knownNames().find(id);
    return found == knownNames().end() ? id : found->second;
}

QString productLineShortName(const QString& id) {
    // The readable name without the bead size in brackets (and without the blank of the
    // longest, to fit a narrow list).
    if (id == QLatin1String("diamondDotz"))
        return QStringLiteral("DiamondDotz");
    return productLineName(id).section(QStringLiteral(" ("), 0, 0);
}

std::vector<ProductLine> loadProductLines(const QString& folder, QStringList* skipped) {
    std::vector<ProductLine> lines;
    if (folder.isEmpty())
        return lines;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList({"*.csv"}, QDir::Files, QDir::Name)) {
        auto text = readTextLines(file.filePath());
        auto beads =
            text ? parseBeadLines(*text) : Result<std::vector<Bead>>(makeError(text.error()));
        if (!beads) {
            if (skipped != nullptr)
                skipped->append(file.fileName() + QStringLiteral(": ") +
                                QString::fromStdString(beads.error()));
            continue;
        }
        const QString id = file.completeBaseName();
        lines.push_back(ProductLine{id, productLineName(id), std::move(*beads)});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const ProductLine& a, const ProductLine& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return lines;
}

QString beadColourFolder(const QString& programFolder) {
    const QStringList candidates = {
        QDir(programFolder).filePath(QStringLiteral("../share/kirimo/bead-colours")),
        QStringLiteral(KIRIMO_SOURCE_DATA_DIR "/bead-colours"),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isDir())
            return QDir(candidate).canonicalPath();
    }
    return {};
}

ColourBinding automaticBinding(const std::vector<Bead>& beads, Rgb userColour) {
    ColourBinding binding{};
    std::vector<Lab> labs;
    labs.reserve(beads.size());
    for (const Bead& bead : beads)
        labs.push_back(srgbToLab(bead.red, bead.green, bead.blue));
    std::set<int> takenColours;  // packed values of the beads bound so far
    const ColourTable standard;
    for (int n = 0; n < kColourCount; ++n) {
        const Rgb wanted = n == kUserColourNumber
                               ? userColour
                               : Rgb{standard[n].red, standard[n].green, standard[n].blue};
        const Lab target = srgbToLab(wanted.red, wanted.green, wanted.blue);
        std::optional<int> best;
        double bestDistance = 0.0;
        for (size_t i = 0; i < beads.size(); ++i) {
            if (takenColours.count(packedOf(beads[i])) > 0)
                continue;
            const double distance = ciede2000(target, labs[i]);
            if (!best || distance < bestDistance) {
                best = static_cast<int>(i);
                bestDistance = distance;
            }
        }
        if (!best)
            break;  // every distinct colour of the line is bound
        binding[static_cast<size_t>(n)] = best;
        takenColours.insert(packedOf(beads[static_cast<size_t>(*best)]));
    }
    return binding;
}

bool bindingValid(const ColourBinding& binding, const std::vector<Bead>& beads) {
    std::set<int> indices;
    std::set<int> colours;
    for (const auto& bead : binding) {
        if (!bead)
            continue;
        if (*bead < 0 || static_cast<size_t>(*bead) >= beads.size())
            return false;
        if (!indices.insert(*bead).second ||
            !colours.insert(packedOf(beads[static_cast<size_t>(*bead)])).second)
            return false;
    }
    return true;
}

QStringList colourSetLines(const ColourSetChoice& choice, const ProductLine* line) {
    QStringList lines{choice.id};
    if (choice.isStandard() || line == nullptr)
        return lines;
    for (const auto& bead : choice.binding)
        lines << (bead ? line->beads[static_cast<size_t>(*bead)].code : QString());
    return lines;
}

ColourSetChoice parseColourSetLines(const QStringList& lines,
                                    const std::vector<ProductLine>& productLines) {
    if (lines.isEmpty() || lines[0].isEmpty())
        return {};
    const ProductLine* line = findProductLine(productLines, lines[0]);
    if (line == nullptr || lines.size() < 1 + kColourCount)
        return {};
    ColourSetChoice choice{line->id, {}};
    for (int n = 0; n < kColourCount; ++n) {
        const QString code = lines[1 + n].trimmed();
        if (code.isEmpty())
            continue;
        const auto found = std::find_if(line->beads.begin(), line->beads.end(),
                                        [&](const Bead& bead) { return bead.code == code; });
        if (found == line->beads.end())
            return {};
        choice.binding[static_cast<size_t>(n)] = static_cast<int>(found - line->beads.begin());
    }
    if (!bindingValid(choice.binding, line->beads))
        return {};
    return choice;
}

void applyColourSetChoice(ColourTable& table, const ColourSetChoice& choice,
                          const std::vector<ProductLine>& productLines) {
    const ProductLine* line = findProductLine(productLines, choice.id);
    std::array<std::optional<BeadColour>, kColourCount> beads{};
    if (line != nullptr && bindingValid(choice.binding, line->beads)) {
        for (int n = 0; n < kColourCount; ++n) {
            if (const auto& index = choice.binding[static_cast<size_t>(n)]) {
                const Bead& bead = line->beads[static_cast<size_t>(*index)];
                beads[static_cast<size_t>(n)] =
                    BeadColour{bead.code, bead.name, Rgb{bead.red, bead.green, bead.blue}};
            }
        }
        table.applyColourSet(line->id, line->name, beads);
    } else {
        table.applyColourSet({}, {}, beads);
    }
}

const ProductLine* findProductLine(const std::vector<ProductLine>& lines, const QString& id) {
    const auto found =
        std::find_if(lines.begin(), lines.end(), [&](const ProductLine& l) { return l.id == id; });
    return found == lines.end() ? nullptr : &*found;
}

}  // namespace kirimo
