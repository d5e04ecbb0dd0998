// kirimo-cli convert INPUT OUTPUT.bmp [conversion flags] [--usage]

#include <QFileInfo>

#include "cli/cli_command.h"
#include "cli/conversion_options.h"
#include "core/conversion_texts.h"
#include "core/picture_file.h"

namespace kirimo::cli {

namespace {

int runConvert(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList args = arguments;
    auto options = takeConversionOptions(args);
    if (!options) {
        err << "kirimo-cli convert: " << QString::fromStdString(options.error()) << "\n";
        return kExitUsage;
    }
    bool printUsage = false;
    QStringList positional;
    for (const QString& arg : args) {
        if (arg == "--usage") {
            printUsage = true;
        } else if (arg.startsWith("--")) {
            err << "kirimo-cli convert: unknown option \"" << arg << "\"\n";
            return kExitUsage;
        } else {
            positional.append(arg);
        }
    }
    if (positional.size() != 2) {
        err << "kirimo-cli convert: expected INPUT and OUTPUT.bmp\nUsage: kirimo-cli convert INPUT "
               "OUTPUT.bmp [options]\n"
            << conversionOptionsHelp()
            << "    --usage                           print each colour's share\n";
        return kExitUsage;
    }
    const QString input = positional[0];
    const QString output = positional[1];

    auto picture = loadPictureFile(input);
    if (!picture) {
        err << "kirimo-cli convert: " << QString::fromStdString(picture.error()) << "\n";
        return kExitUsage;
    }
    auto result = convertPicture(*picture, options->colourTable.palette(), options->settings);
    if (!result) {
        err << "kirimo-cli convert: " << QFileInfo(input).fileName() << ": "
            << QString::fromStdString(result.error()) << "\n";
        return kExitUsage;
    }
    if (auto saved = savePictureBmp(output, result->pixels); !saved) {
        err << "kirimo-cli convert: " << QString::fromStdString(saved.error()) << "\n";
        return kExitFailure;
    }
    if (printUsage) {
        out << usageString(*result, picture->width(), picture->height()) << "\n";
    }
    return kExitOk;
}

[[maybe_unused]] const bool registered = registerCommand(
    {"convert", "convert INPUT OUTPUT.bmp [--palette ...] [--space ...] [--usage] ...",
     runConvert});

}  // namespace

}  // namespace kirimo::cli
