// kirimo-cli chart CONVERTED.bmp OUT.pdf --sheet WxH [chart flags]
// kirimo-cli chart-images CONVERTED.bmp BASE --sheet WxH [chart-image flags]

#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QTime>
#include <random>

#include "cli/chart_options.h"
#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/colour_set_option.h"
#include "cli/foreign_dots.h"
#include "cli/sheet_option.h"
#include "cli/symbols_option.h"
#include "core/colour_table.h"
#include "core/picture_file.h"
#include "core/symbol_settings_file.h"
#include "core/text_file.h"
#include "printing/chart_images.h"
#include "printing/chart_plan.h"
#include "printing/page_renderer.h"

namespace kirimo::cli {

namespace {

using printing::ChartContext;
using printing::ChartOptions;
using printing::LineStyle;
using printing::PageOrientation;

constexpr const char* kChartUsage =
    "Usage: kirimo-cli chart CONVERTED.bmp OUT.pdf --sheet WxH [flags]\n"
    "Writes the A4 chart of the converted picture as a PDF, one page per sheet, every dot a\n"
    "character (or a picture) in a cell of whole millimetres, everything inside the margin;\n"
    "at most 10000 pages.\n"
    "    --sheet WxH                 dots across and down of one sheet, each >= 1\n"
    "    --cell WxH                  cell size in mm (default the largest that fits)\n"
    "    --portrait                  portrait paper (default landscape)\n"
    "    --pictures                  the colours' pictures instead of characters\n"
    "    --colour                    characters in the dots' colours\n"
    "    --fill-cell                 characters as large as the cell allows\n"
    "    --fill-colour               cells filled with their dots' colours, characters in\n"
    "                                black or white, whichever reads better\n"
    "    --lines solid|dotted|none   separator lines (default solid)\n"
    "    --no-white                  leave white dots empty\n"
    "    --skip-white-pages          leave out sheets that are all white\n"
    "    --pages \"C,R;C,R\"           only these sheets (column,row from 1)\n"
    "    --cover                     a cover page first: the picture, its sheets and counts\n"
    "    --legend                    legend pages last: each colour's symbols and counts\n"
    "    --bold-every N              every Nth grid line of a sheet wide (N >= 1)\n"
    "    --symbols FILE              a CodeUsePrint.ini (default: each colour's own name)\n"
    "    --user-colour RRGGBB        colour 17 (default 808080)\n"
    "    --colour-set ID             the colours of a bead product line; the cover and\n"
    "                                legend name each colour's bead\n"
    "    --colour-set-file FILE      the colour set of a ColourSet.ini\n"
    "    --seed N                    random seed (default the seconds since midnight)\n"
    "    --margin MM                 empty border on every side of a page, whole mm 0-50\n"
    "                                (default 5; 0 prints to the paper's edge)\n";

constexpr const char* kImagesUsage =
    "Usage: kirimo-cli chart-images CONVERTED.bmp BASE --sheet WxH [flags]\n"
    "Writes each sheet's character chart as the bitmap BASE(column,row).bmp, in sheet order;\n"
    "at most 10000 images, and no more than the folder's free space holds.\n"
    "    --sheet WxH                 dots across and down of one sheet, each >= 1\n"
    "    --portrait                  the portrait surface (default landscape)\n"
    "    --colour                    characters in the dots' colours\n"
    "    --symbols FILE              a CodeUsePrint.ini (default: each colour's own name)\n"
    "    --user-colour RRGGBB        colour 17 (default 808080)\n"
    "    --seed N                    random seed (default the seconds since midnight)\n";

// The files a chart is made from: the picture and the symbol settings.
QStringList inputFiles(const ChartArguments& args) {
    QStringList inputs{args.positional[0]};
    if (auto symbols = args.value("--symbols"))
        inputs.append(*symbols);
    return inputs;
}

// What both commands share: the picture, the sheets, the colours and symbols, the seed.
struct ChartInput {
    PixelBuffer picture;
    SheetSize sheet;
    ColourTable table;
    SymbolSettings symbols;
    std::mt19937 random;
};

Result<ChartInput> readInput(const ChartArguments& args) {
    ChartInput input;
    auto sheet = parseSheetOption(*args.value("--sheet"));
    if (!sheet)
        return makeError(sheet.error());
    input.sheet = *sheet;

    if (auto colour = args.value("--user-colour")) {
        const auto rgb = parseColourText(*colour);
        if (!rgb) {
            return makeError("--user-colour must be six hexadecimal digits RRGGBB (got \"" +
                             colour->toStdString() + "\")");
        }
        input.table.setUserColourComponent(0, rgb->red);
        input.table.setUserColourComponent(1, rgb->green);
        input.table.setUserColourComponent(2, rgb->blue);
    }
    // A colour set maps the dots to its beads (17 is the bead nearest the user colour).
    if (auto applied = applyColourSetOption(input.table, args.value("--colour-set"),
                                            args.value("--colour-set-file"));
        !applied)
        return makeError(applied.error());

    uint32_t seed = static_cast<uint32_t>(QTime::currentTime().msecsSinceStartOfDay() / 1000);
    if (auto text = args.value("--seed")) {
        const auto n = parseWholeNumber(*text);
        if (!n) {
            return makeError("--seed must be a whole number from 0 to " +
                             std::to_string(INT32_MAX) + " (got \"" + text->toStdString() + "\")");
        }
        seed = static_cast<uint32_t>(*n);
    }
    input.random.seed(seed);

    if (auto file = args.value("--symbols")) {
        QTextStream notes(stderr);  // readInput has no stream of its own for notes
        auto symbols = readSymbolsOption(*file, notes);
        if (!symbols)
            return makeError(symbols.error());
        input.symbols = std::move(*symbols);
    } else {
        applyDefaultSymbols(input.symbols);
    }

    auto picture = loadPictureFile(args.positional[0]);
    if (!picture)
        return makeError(picture.error());
    input.picture = std::move(*picture);
    return input;
}

// The interface font of the program: its Japanese Gothic where installed.
QString interfaceFontFamily() {
    const QString gothic = QString::fromLatin1(printing::kJapaneseGothicFamily);
    return QFontDatabase::families().contains(gothic) ? gothic : QGuiApplication::font().family();
}

ChartContext contextFor(ChartInput& input) {
    ChartContext context;
    context.colourTable = &input.table;
    context.symbols = &input.symbols;
    context.fallbackFontFamily = interfaceFontFamily();
    context.random = printing::uniformRandom(input.random);
    context.loadPicture = printing::filePictureLoader();
    return context;
}

std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// Why the cells of a chart do not fit its page, in words that name what was given.
std::string chartSizeMessage(printing::ChartCheck check, SheetSize sheet,
                             const ChartOptions& options, printing::CellSize largest,
                             int labelHeight) {
    // The most dots of 1 mm the printable area holds below the page label band.
    const QSizeF area = printing::printableAreaMm(options);
    const int pageWidth = static_cast<int>(area.width());
    const int pageHeight = std::max(0, static_cast<int>(area.height()) - labelHeight);
    const char* paper =
        options.orientation == PageOrientation::Landscape ? "landscape" : "portrait";
    if (largest.width == 0 || largest.height == 0) {
        // No cell of 1 mm fits: the sheet itself is too large, whatever --cell says.
        return "the sheet " + sizeText(sheet.width, sheet.height) + " is " +
               (largest.width == 0 ? "wider" : "taller") +
               " than the page can hold with cells of at least 1 mm: on " + paper +
               " paper a sheet is at most " + sizeText(pageWidth, pageHeight) + " dots";
    }
    const std::string cell = sizeText(options.cell.width, options.cell.height);
    const std::string most = sizeText(largest.width, largest.height);
    const std::string japanese = printing::chartCheckMessage(check).text.toStdString();
    switch (check) {
        case printing::ChartCheck::ZeroCell:
            return "the cell " + cell +
                   " mm has a side of 0: each side is at least 1 mm, at most " + most +
                   " mm for this sheet (" + japanese + ")";
        case printing::ChartCheck::TooWide:
            return "the cell " + cell + " mm is too wide for the page: at most " + most +
                   " mm for this sheet on " + paper + " paper (" + japanese + ")";
        case printing::ChartCheck::TooTall:
            return "the cell " + cell + " mm is too tall for the page: at most " + most +
                   " mm for this sheet on " + paper + " paper (" + japanese + ")";
        case printing::ChartCheck::Ok:
            break;
    }
    return {};
}

int fail(QTextStream& err, const char* command, const std::string& message, int status) {
    err << "kirimo-cli " << command << ": " << QString::fromStdString(message) << "\n";
    return status;
}

int runChart(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Q_UNUSED(out);
    auto args = parseChartArguments(arguments, false);
    if (!args)
        return fail(err, "chart", args.error(), kExitUsage);
    if (args->positional.size() != 2 || !args->has("--sheet")) {
        err << "kirimo-cli chart: expected CONVERTED.bmp, OUT.pdf and --sheet WxH\n" << kChartUsage;
        return kExitUsage;
    }
    if (auto outputs = checkOutputs({args->positional[1]}, inputFiles(*args)); !outputs)
        return fail(err, "chart", outputs.error(), kExitUsage);
    auto input = readInput(*args);
    if (!input)
        return fail(err, "chart", input.error(), kExitUsage);

    ChartOptions options;
    options.orientation =
        args->has("--portrait") ? PageOrientation::Portrait : PageOrientation::Landscape;
    const auto margin =
        parseMargin(args->value("--margin").value_or(QString::number(kDefaultMarginMm)));
    if (!margin) {
        return fail(err, "chart",
                    "--margin must be a whole number of millimetres from 0 to " +
                        std::to_string(kMaxMarginMm) + " (got \"" +
                        args->value("--margin")->toStdString() + "\")",
                    kExitUsage);
    }
    if (*margin > 0) {
        const double kept = printing::pdfMarginMm(*margin);
        options.printableMm =
            printing::chartPageSizeMm(options.orientation) - QSizeF(2.0 * kept, 2.0 * kept);
    }
    // The pages are measured on the PDF they are written to: a writer of the same
    // resolution. They are made one at a time as the PDF is written.
    QPdfWriter measuringDevice(QString{});
    ChartContext context = contextFor(*input);
    context.measure = printing::deviceTextMeasure(measuringDevice);
    context.pictureName = QFileInfo(args->positional[0]).fileName();
    const int labelHeight = printing::labelHeightMm(context.measure);
    const printing::CellSize largest =
        printing::largestCellSize(input->sheet, printing::printableAreaMm(options), labelHeight);
    options.cell = largest;
    if (auto cell = args->value("--cell")) {
        const auto size = parseDimensions(*cell);
        if (!size) {
            return fail(err, "chart",
                        "--cell must be WxH, two whole numbers of millimetres (got \"" +
                            cell->toStdString() + "\")",
                        kExitUsage);
        }
        options.cell = {size->width, size->height};
    }
    if (const auto check = printing::checkChartSize(options.cell, largest);
        check != printing::ChartCheck::Ok) {
        return fail(err, "chart",
                    chartSizeMessage(check, input->sheet, options, largest, labelHeight),
                    kExitUsage);
    }
    options.usage =
        args->has("--pictures") ? printing::UsageMode::Pictures : printing::UsageMode::Characters;
    options.colour = args->has("--colour");
    options.fillCell = args->has("--fill-cell");
    options.fillColour = args->has("--fill-colour");
    options.noWhite = args->has("--no-white");
    options.skipWhitePages = args->has("--skip-white-pages");
    const QString lines = args->value("--lines").value_or(QStringLiteral("solid"));
    if (lines != "solid" && lines != "dotted" && lines != "none") {
        return fail(err, "chart",
                    "--lines must be solid, dotted or none (got \"" + lines.toStdString() + "\")",
                    kExitUsage);
    }
    options.lines = lines != "none";
    options.cover = args->has("--cover");
    options.legend = args->has("--legend");
    if (auto every = args->value("--bold-every")) {
        const auto n = parseWholeNumber(*every);
        if (!n || *n < 1) {
            return fail(err, "chart",
                        "--bold-every must be a whole number of at least 1 (got \"" +
                            every->toStdString() + "\")",
                        kExitUsage);
        }
        if (!options.lines)
            return fail(err, "chart", "--bold-every needs grid lines (not --lines none)",
                        kExitUsage);
        options.boldEvery = *n;
    }
    options.lineStyle = lines == "dotted" ? LineStyle::Dotted : LineStyle::Solid;
    if (auto pages = args->value("--pages")) {
        auto grid =
            SheetGrid::create(input->picture.width(), input->picture.height(), input->sheet);
        if (!grid)
            return fail(err, "chart", grid.error(), kExitUsage);
        auto checked = parsePages(*pages, *grid);
        if (!checked)
            return fail(err, "chart", checked.error(), kExitUsage);
        options.printOnlyChecked = true;
        options.checkedPages = std::move(*checked);
    }

    auto pages = printing::ChartPages::create(input->picture, input->sheet, options, context);
    if (!pages)
        return fail(err, "chart", pages.error(), kExitUsage);
    warnAboutForeignDots(err, "chart", "charted", input->picture, input->table);
    if (pages->pageCount() == 0) {
        err << "kirimo-cli chart: every sheet was left out; nothing written\n";
        return kExitOk;
    }
    const QString& output = args->positional[1];
    if (auto written =
            printing::writePagesPdf(*pages, output, QFileInfo(output).completeBaseName(), *margin);
        !written) {
        return fail(err, "chart", written.error(), kExitFailure);
    }
    return kExitOk;
}

int runChartImages(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    auto args = parseChartArguments(arguments, true);
    if (!args)
        return fail(err, "chart-images", args.error(), kExitUsage);
    if (args->positional.size() != 2 || !args->has("--sheet")) {
        err << "kirimo-cli chart-images: expected CONVERTED.bmp, BASE and --sheet WxH\n"
            << kImagesUsage;
        return kExitUsage;
    }
    // The images' names are known once the picture is read; the inputs are protected now.
    if (auto outputs = checkOutputs({}, inputFiles(*args)); !outputs)
        return fail(err, "chart-images", outputs.error(), kExitUsage);
    auto input = readInput(*args);
    if (!input)
        return fail(err, "chart-images", input.error(), kExitUsage);
    ChartContext context = contextFor(*input);
    // Without a symbol font the images use the program's Japanese Gothic.
    context.fallbackFontFamily = QString::fromLatin1(printing::kJapaneseGothicFamily);
    context.measure = printing::chartImageTextMeasure();
    const PageOrientation orientation =
        args->has("--portrait") ? PageOrientation::Portrait : PageOrientation::Landscape;
    auto images = printing::ChartImages::create(input->picture, input->sheet, orientation,
                                                args->has("--colour"), context);
    if (!images)
        return fail(err, "chart-images", images.error(), kExitUsage);
    const QString& base = args->positional[1];
    if (auto fits = printing::checkChartImagesFit(*images, base); !fits)
        return fail(err, "chart-images", fits.error(), kExitUsage);
    // Every image's file is checked before the first is written (at most kMaxChartImages).
    QStringList outputs;
    for (int i = 0; i < images->count(); ++i)
        outputs << base + images->suffix(i);
    if (auto checked = checkOutputs(outputs, inputFiles(*args)); !checked)
        return fail(err, "chart-images", checked.error(), kExitUsage);
    warnAboutForeignDots(err, "chart-images", "charted", input->picture, input->table);
    // Each path is named as soon as its file is written, so that a run that stops part-way
    // has named every file it left.
    auto saved = printing::saveChartImages(*images, base, [&out](const QString& path) {
        out << path << "\n";
        out.flush();
    });
    if (!saved)
        return fail(err, "chart-images", saved.error(), kExitFailure);
    return kExitOk;
}

[[maybe_unused]] const bool registeredChart = registerCommand(
    {"chart",
     "chart CONVERTED.bmp OUT.pdf --sheet WxH [--cell WxH] [--portrait] [--pictures] "
     "[--colour] [--fill-cell] [--lines solid|dotted|none] [--no-white] [--skip-white-pages] "
     "[--pages \"C,R;C,R\"] [--cover] [--legend] [--bold-every N] [--fill-colour] [--margin MM] "
     "[--symbols FILE] [--user-colour "
     "RRGGBB] [--seed N]",
     runChart, true});

[[maybe_unused]] const bool registeredImages = registerCommand(
    {"chart-images",
     "chart-images CONVERTED.bmp BASE --sheet WxH [--portrait] [--colour] [--symbols FILE] "
     "[--user-colour RRGGBB] [--seed N]",
     runChartImages, true});

}  // namespace

}  // namespace kirimo::cli
