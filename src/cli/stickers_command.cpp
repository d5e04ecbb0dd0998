// kirimo-cli stickers OUT.pdf PICTURE... [--size WxH] [--sheets N] [--landscape] [--cut-lines]

#include <QFileInfo>
#include <QImage>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "core/picture_file.h"
#include "printing/page_renderer.h"
#include "printing/sticker_plan.h"

namespace kirimo::cli {

namespace {

using printing::PageOrientation;
using printing::StickerOptions;

constexpr const char* kUsage =
    "Usage: kirimo-cli stickers OUT.pdf PICTURE... [flags]\n"
    "Writes sticker sheets as a PDF of A4 pages: for every picture in turn N pages, each\n"
    "filled inside its margin with copies of the picture stretched to cells of whole mm.\n"
    "    --size WxH      one sticker in mm, each side >= 2: 1 mm of it is the gap to the\n"
    "                    next sticker (default 10x10)\n"
    "    --sheets N      pages per picture, >= 1 (default 1); at most 10000 pages in all\n"
    "    --landscape     landscape paper (default portrait)\n"
    "    --cut-lines     dotted cut lines along the stickers' left and top edges\n"
    "    --margin MM     empty border on every side of a page, whole mm 0-50 (default 5;\n"
    "                    0 fills the page to the paper's edge)\n";

int fail(QTextStream& err, const std::string& message) {
    err << "kirimo-cli stickers: " << QString::fromStdString(message) << "\n";
    return kExitUsage;
}

int runStickers(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    Q_UNUSED(out);
    StickerOptions options;
    QStringList positional;
    bool sizeSeen = false, sheetsSeen = false, marginSeen = false;
    int margin = kDefaultMarginMm;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            positional.append(arg);
        } else if (arg == "--landscape") {
            options.orientation = PageOrientation::Landscape;
        } else if (arg == "--cut-lines") {
            options.cutLines = true;
        } else if (arg == "--margin") {
            if (marginSeen)
                return fail(err, "--margin is given twice");
            marginSeen = true;
            const auto value =
                i + 1 < arguments.size() ? parseMargin(arguments[++i]) : std::nullopt;
            if (!value) {
                return fail(err, "--margin must be a whole number of millimetres from 0 to " +
                                     std::to_string(kMaxMarginMm));
            }
            margin = *value;
        } else if (arg == "--size" || arg == "--sheets") {
            bool& seen = arg == "--size" ? sizeSeen : sheetsSeen;
            if (seen)
                return fail(err, arg.toStdString() + " is given twice");
            seen = true;
            if (i + 1 >= arguments.size())
                return fail(err, arg.toStdString() + " needs a value");
            const QString value = arguments[++i];
            if (arg == "--size") {
                const auto size = parseDimensions(value);
                if (!size || size->width < 1 || size->height < 1) {
                    return fail(err,
                                "--size must be WxH, two whole numbers of millimetres of "
                                "at least 2 (got \"" +
                                    value.toStdString() + "\")");
                }
                if (!printing::stickerHasRoom(size->width, size->height)) {
                    return fail(err, "--size " + value.toStdString() +
                                         " leaves no room for the picture: every sticker keeps "
                                         "a 1 mm gap at its right and bottom, so each side "
                                         "must be at least 2 mm");
                }
                options.widthMm = size->width;
                options.heightMm = size->height;
            } else {
                const auto sheets = parseWholeNumber(value);
                if (!sheets || *sheets < 1) {
                    return fail(err, "--sheets must be a whole number of at least 1 (got \"" +
                                         value.toStdString() + "\")");
                }
                options.sheets = *sheets;
            }
        } else {
            return fail(err, "unknown option \"" + arg.toStdString() + "\"");
        }
    }
    if (positional.size() < 2) {
        err << "kirimo-cli stickers: expected OUT.pdf and at least one PICTURE\n" << kUsage;
        return kExitUsage;
    }

    printing::PagePlan page;
    page.orientation = options.orientation;
    const double kept = printing::pdfMarginMm(margin);
    const QSizeF area = page.pageSizeMm() - QSizeF(2.0 * kept, 2.0 * kept);
    if (options.widthMm > area.width() || options.heightMm > area.height()) {
        return fail(err, "a sticker of " + std::to_string(options.widthMm) + "x" +
                             std::to_string(options.heightMm) +
                             " mm does not fit inside the page's margin (" +
                             std::to_string(static_cast<int>(area.width())) + "x" +
                             std::to_string(static_cast<int>(area.height())) + " mm)");
    }

    if (auto outputs = checkOutputs({positional[0]}, positional.mid(1)); !outputs)
        return fail(err, outputs.error());
    // Too many pages are refused before any picture is read.
    const auto pictureCount = static_cast<size_t>(positional.size() - 1);
    if (auto bound =
            printing::checkPageCount(printing::stickerPageCount(pictureCount, options.sheets),
                                     "the sticker sheets", "give fewer --sheets or fewer pictures");
        !bound) {
        return fail(err, bound.error());
    }

    std::vector<QImage> pictures;
    for (qsizetype i = 1; i < positional.size(); ++i) {
        auto picture = loadPictureImage(positional[i]);
        if (!picture)
            return fail(err, picture.error());
        pictures.push_back(std::move(*picture));
    }

    printing::StickerPages pages(pictures, area, options);
    const QString& output = positional[0];
    if (auto written =
            printing::writePagesPdf(pages, output, QFileInfo(output).completeBaseName(), margin);
        !written) {
        err << "kirimo-cli stickers: " << QString::fromStdString(written.error()) << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

[[maybe_unused]] const bool registered = registerCommand(
    {"stickers",
     "stickers OUT.pdf PICTURE... [--size WxH] [--sheets N] [--landscape] [--cut-lines] "
     "[--margin MM]",
     runStickers, true});

}  // namespace

}  // namespace kirimo::cli
