#pragma once
// The sub-commands of kirimo-cli. Each takes its own arguments (without the program
// and sub-command names), writes results to `out` and messages to `err`, and returns
// the exit status: 0 on success, 2 for bad arguments or input.

#include <QStringList>
#include <QTextStream>
#include <vector>

#include "imaging/result.h"

namespace kirimo::cli {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;    // bad arguments or unreadable input
constexpr int kExitFailure = 1;  // the work could not be finished (a file could not be written)

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
    // Whether the command paints text (charts): it then runs in a QGuiApplication.
    bool paints = false;
};

// Every registered sub-command, sorted by name.
std::vector<Command> commands();

// Whether the sub-command of that name paints.
bool commandPaints(const QString& name);

// Run before any work: protects the command's inputs from its own writes, and refuses
// the first output that cannot be written safely (after links, not absent and not a
// regular file, or one of the inputs), naming it.
Result<void> checkOutputs(const QStringList& outputs, const QStringList& inputs);

// The report files a base name gives: BASE.txt, BASE.csv, BASE.bmp and, in a colour set,
// BASE_beads.csv.
QStringList reportOutputs(const QString& base);

// Adds a sub-command; each command's file registers itself at start-up with
// `[[maybe_unused]] static const bool registered = registerCommand({...});`.
bool registerCommand(const Command& command);

}  // namespace kirimo::cli
