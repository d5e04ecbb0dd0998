// kirimo-cli convert INPUT OUTPUT.bmp [conversion flags] [--usage] [--sheet WxH --report BASE]

#include <QFileInfo>
#include <optional>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/conversion_options.h"
#include "cli/sheet_option.h"
#include "core/conversion_texts.h"
#include "core/picture_file.h"
#include "reports/report_files.h"

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
    std::optional<QString> sheetText;
    std::optional<QString> reportBase;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--sheet" || arg == "--report") {
            std::optional<QString>& value = arg == "--sheet" ? sheetText : reportBase;
            if (i + 1 >= args.size()) {
                err << "kirimo-cli convert: " << arg << " needs a value\n";
                return kExitUsage;
            }
            if (value) {
                err << "kirimo-cli convert: " << arg << " is given twice\n";
                return kExitUsage;
            }
            value = args[++i];
        } else if (arg == "--usage") {
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
            << "    --usage                           print each colour's share\n"
               "    --sheet WxH --report BASE         also write BASE.txt, BASE.csv, BASE.bmp\n";
        return kExitUsage;
    }
    if (sheetText.has_value() != reportBase.has_value()) {
        err << "kirimo-cli convert: --sheet and --report go together\n";
        return kExitUsage;
    }
    std::optional<SheetSize> sheetSize;
    if (sheetText) {
        auto parsed = parseSheetOption(*sheetText);
        if (!parsed) {
            err << "kirimo-cli convert: " << QString::fromStdString(parsed.error()) << "\n";
            return kExitUsage;
        }
        sheetSize = *parsed;
        if (auto base = checkReportBase(*reportBase); !base) {
            err << "kirimo-cli convert: " << QString::fromStdString(base.error()) << "\n";
            return kExitUsage;
        }
    }
    const QString input = positional[0];
    const QString output = positional[1];
    if (!hasBmpSuffix(output)) {
        err << "kirimo-cli convert: the output \"" << output << "\" must be a .bmp file\n";
        return kExitUsage;
    }

    if (auto outputs = checkOutputs(
            QStringList{output} + (reportBase ? reportOutputs(*reportBase) : QStringList{}),
            {input});
        !outputs) {
        err << "kirimo-cli convert: " << QString::fromStdString(outputs.error()) << "\n";
        return kExitUsage;
    }
    auto picture = loadPictureFile(input);
    if (!picture) {
        err << "kirimo-cli convert: " << QString::fromStdString(picture.error()) << "\n";
        return kExitUsage;
    }
    const int width = picture->width();
    const int height = picture->height();
    // Converted in the loaded picture's own memory: it is not needed afterwards.
    auto result =
        convertPicture(std::move(*picture), options->colourTable.palette(), options->settings);
    if (!result) {
        err << "kirimo-cli convert: " << QFileInfo(input).fileName() << ": "
            << QString::fromStdString(result.error()) << "\n";
        return kExitUsage;
    }
    // The reports are checked before anything is written.
    std::optional<ReportContents> report;
    if (sheetSize) {
        const QString settingsLine =
            reportSettingsLine(ConversionDescription::fromSettings(options->settings));
        auto contents =
            prepareReportContents(result->pixels, options->colourTable, settingsLine, *sheetSize);
        if (!contents) {
            err << "kirimo-cli convert: " << QString::fromStdString(contents.error()) << "\n";
            return kExitUsage;
        }
        report = std::move(*contents);
    }
    if (auto saved = savePictureBmp(output, result->pixels); !saved) {
        err << "kirimo-cli convert: " << QString::fromStdString(saved.error()) << "\n";
        return kExitFailure;
    }
    if (report) {
        if (auto written = writeReportContents(*reportBase, *report, result->pixels); !written) {
            err << "kirimo-cli convert: the dot picture \"" << output
                << "\" was written, but not the report: " << QString::fromStdString(written.error())
                << "\n";
            return kExitFailure;
        }
    }
    if (printUsage) {
        out << usageString(*result, width, height) << "\n";
    }
    return kExitOk;
}

[[maybe_unused]] const bool registered = registerCommand(
    {"convert",
     "convert INPUT OUTPUT.bmp [--palette ...] [--space ...] [--usage] [--sheet WxH --report BASE]",
     runConvert});

}  // namespace

}  // namespace kirimo::cli
