#include "cli/colour_set_option.h"

#include <QCoreApplication>

#include "core/file_system.h"
#include "core/text_file.h"

namespace kirimo::cli {

const std::vector<ProductLine>& shippedProductLines() {
    static const std::vector<ProductLine> lines =
        loadProductLines(beadColourFolder(QCoreApplication::applicationDirPath()));
    return lines;
}

std::string unknownColourSet(const QString& id) {
    QStringList ids;
    for (const ProductLine& line : shippedProductLines())
        ids << line.id;
    ids.sort();
    return "unknown colour set \"" + id.toStdString() +
           "\"; the known ones are: " + ids.join(QStringLiteral(", ")).toStdString();
}

Result<void> applyColourSetOption(ColourTable& table, const std::optional<QString>& id,
                                  const std::optional<QString>& file) {
    if (id && file)
        return makeError("--colour-set and --colour-set-file cannot be used together");
    const auto& lines = shippedProductLines();
    if (id) {
        const ProductLine* line = findProductLine(lines, *id);
        if (line == nullptr)
            return makeError(unknownColourSet(*id));
        const ColourEntry& user = table[kUserColourNumber];
        const ColourSetChoice choice{
            line->id, automaticBinding(line->beads, Rgb{user.red, user.green, user.blue})};
        applyColourSetChoice(table, choice, lines);
    } else if (file) {
        auto stored = readTextLines(*file);
        if (!stored)
            return makeError(stored.error());
        const ColourSetChoice choice = parseColourSetLines(*stored, lines);
        if (choice.isStandard() && !stored->isEmpty() && !stored->first().isEmpty()) {
            return makeError(quotedPath(*file) +
                             " is not a usable colour set file: its first line names a shipped "
                             "product line, then one bead code of it (or nothing) per colour "
                             "0 to 17, no bead twice");
        }
        applyColourSetChoice(table, choice, lines);
    }
    return {};
}

}  // namespace kirimo::cli
