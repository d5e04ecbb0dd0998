// kirimo-cli report CONVERTED.bmp BASE --sheet WxH [conversion flags]

#include <optional>

#include "cli/cli_command.h"
#include "cli/conversion_options.h"
#include "cli/foreign_dots.h"
#include "cli/sheet_option.h"
#include "core/conversion_texts.h"
#include "core/picture_file.h"
#include "reports/report_files.h"

namespace kirimo::cli {

namespace {

constexpr const char* kUsage =
    "Usage: kirimo-cli report CONVERTED.bmp BASE --sheet WxH [conversion flags]\n"
    "Writes BASE.txt (the sheets charted in colour names, with counts), BASE.csv (the\n"
    "counts per sheet) and BASE.bmp (the picture), replacing files of those names.\n"
    "    --sheet WxH                       dots across and down of one sheet, each >= 1\n"
    "Conversion flags (they fill the settings line of BASE.txt; --user-colour is also\n"
    "the colour counted as 自):\n";

int fail(QTextStream& err, const std::string& message, int status) {
    err << "kirimo-cli report: " << QString::fromStdString(message) << "\n";
    return status;
}

int runReport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Q_UNUSED(out);
    QStringList args = arguments;
    auto options = takeConversionOptions(args);
    if (!options)
        return fail(err, options.error(), kExitUsage);

    std::optional<QString> sheetText;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--sheet")) {
            if (i + 1 >= args.size())
                return fail(err, "--sheet needs a value such as 30x30", kExitUsage);
            if (sheetText)
                return fail(err, "--sheet is given twice", kExitUsage);
            sheetText = args[++i];
        } else if (arg.startsWith(QLatin1String("--"))) {
            return fail(err, "unknown option \"" + arg.toStdString() + "\"", kExitUsage);
        } else {
            positional.append(arg);
        }
    }
    if (positional.size() != 2 || !sheetText) {
        err << "kirimo-cli report: expected CONVERTED.bmp, BASE and --sheet WxH\n"
            << kUsage << conversionOptionsHelp();
        return kExitUsage;
    }
    auto sheetSize = parseSheetOption(*sheetText);
    if (!sheetSize)
        return fail(err, sheetSize.error(), kExitUsage);
    if (auto base = checkReportBase(positional[1]); !base)
        return fail(err, base.error(), kExitUsage);

    if (auto outputs = checkOutputs(reportOutputs(positional[1]), {positional[0]}); !outputs)
        return fail(err, outputs.error(), kExitUsage);
    auto picture = loadPictureFile(positional[0]);
    if (!picture)
        return fail(err, picture.error(), kExitUsage);

    const QString settingsLine =
        reportSettingsLine(ConversionDescription::fromSettings(options->settings));
    auto contents = prepareReportContents(*picture, options->colourTable, settingsLine, *sheetSize);
    if (!contents)
        return fail(err, contents.error(), kExitUsage);
    warnAboutForeignDots(err, "report", "counted", *picture, options->colourTable);
    if (auto written = writeReportContents(positional[1], *contents, *picture); !written)
        return fail(err, written.error(), kExitFailure);
    return kExitOk;
}

[[maybe_unused]] const bool registered = registerCommand(
    {"report", "report CONVERTED.bmp BASE --sheet WxH [--user-colour RRGGBB] [--space ...] ...",
     runReport});

}  // namespace

}  // namespace kirimo::cli
