#include "cli/cli_command.h"

#include <algorithm>
#include <cstring>

#include "core/file_system.h"

namespace kirimo::cli {

namespace {

std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace

Result<void> checkOutputs(const QStringList& outputs, const QStringList& inputs) {
    protectInputs(inputs);
    for (const QString& output : outputs) {
        if (auto target = resolveWriteTarget(output); !target)
            return makeError(target.error());
    }
    return {};
}

QStringList reportOutputs(const QString& base) {
    return {base + QStringLiteral(".txt"), base + QStringLiteral(".csv"),
            base + QStringLiteral(".bmp"), base + QStringLiteral("_beads.csv")};
}

bool registerCommand(const Command& command) {
    registry().push_back(command);
    return true;
}

bool commandPaints(const QString& name) {
    return std::any_of(registry().begin(), registry().end(), [&](const Command& command) {
        return command.paints && name == QLatin1String(command.name);
    });
}

std::vector<Command> commands() {
    std::vector<Command> sorted = registry();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    return sorted;
}

}  // namespace kirimo::cli
