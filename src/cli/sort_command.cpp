// kirimo-cli sort: the dominant colour of each picture, as the colour symbol window sorts
// picture files into colours.

#include "cli/cli_command.h"
#include "core/colour_table.h"
#include "core/picture_file.h"
#include "imaging/dominant_colour.h"

namespace kirimo::cli {

namespace {

constexpr const char* kUsage =
    "sort PICTURE...  print each picture's dominant colour: number, name and path";

int runSort(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << "kirimo-cli sort: usage: kirimo-cli " << kUsage << "\n";
        return kExitUsage;
    }
    const ColourTable table;
    DominantColourFinder finder(table.palette());
    bool failed = false;
    for (const QString& path : args) {
        auto picture = loadPictureFile(path);
        if (!picture) {
            err << "kirimo-cli sort: " << QString::fromStdString(picture.error()) << "\n";
            failed = true;
            continue;
        }
        const int colour = finder.dominantColour(*picture);
        out << colour << '\t' << colourName(colour) << '\t' << path << "\n";
    }
    return failed ? kExitUsage : kExitOk;
}

[[maybe_unused]] static const bool registered = registerCommand({"sort", kUsage, runSort});

}  // namespace

}  // namespace kirimo::cli
