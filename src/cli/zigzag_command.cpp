// kirimo-cli zigzag: interleaves two pictures in vertical strips into one picture twice as
// wide, cut to the smaller width and the smaller height of the two.

#include <algorithm>
#include <optional>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "core/picture_file.h"
#include "imaging/zigzag.h"

namespace kirimo::cli {

namespace {

constexpr const char* kUsage =
    "zigzag A B OUTPUT.bmp --strip S [--offset-a X,Y] [--offset-b X,Y]  interleave two "
    "pictures in strips S pixels wide";

int runZigzag(const QStringList& args, QTextStream& out, QTextStream& err) {
    const auto fail = [&err](const QString& message) {
        err << "kirimo-cli zigzag: " << message << "\n";
        return kExitUsage;
    };

    QStringList paths;
    std::optional<int> stripWidth;
    std::optional<Point> offsetA;
    std::optional<Point> offsetB;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            paths << arg;
            continue;
        }
        if (arg != QLatin1String("--strip") && arg != QLatin1String("--offset-a") &&
            arg != QLatin1String("--offset-b"))
            return fail("unknown option \"" + arg + "\"; usage: kirimo-cli " + kUsage);
        if (i + 1 >= args.size())
            return fail(arg + " needs a value");
        const QString& value = args[++i];
        if (arg == QLatin1String("--strip")) {
            if (stripWidth)
                return fail(QStringLiteral("--strip is given twice"));
            stripWidth = parseWholeNumber(value);
            if (!stripWidth || *stripWidth < 1)
                return fail("the strip width \"" + value +
                            "\" is not a positive whole number of pixels");
        } else {
            auto& offset = arg == QLatin1String("--offset-a") ? offsetA : offsetB;
            if (offset)
                return fail(arg + " is given twice");
            offset = parsePoint(value);
            if (!offset)
                return fail(arg + " \"" + value +
                            "\" must be two whole numbers of pixels written X,Y");
        }
    }
    if (paths.size() != 3 || !stripWidth)
        return fail(QStringLiteral("usage: kirimo-cli ") + kUsage);
    if (!hasBmpSuffix(paths[2]))
        return fail("the output \"" + paths[2] + "\" must be a .bmp file");
    if (auto outputs = checkOutputs({paths[2]}, {paths[0], paths[1]}); !outputs)
        return fail(QString::fromStdString(outputs.error()));

    auto a = loadPictureFile(paths[0]);
    if (!a)
        return fail(QString::fromStdString(a.error()));
    auto b = loadPictureFile(paths[1]);
    if (!b)
        return fail(QString::fromStdString(b.error()));

    ZigzagRequest request;
    request.commonWidth = std::min(a->width(), b->width());
    request.commonHeight = std::min(a->height(), b->height());
    request.stripWidth = *stripWidth;
    if (offsetA)
        request.offsetA = CropOffset{offsetA->x, offsetA->y};
    if (offsetB)
        request.offsetB = CropOffset{offsetB->x, offsetB->y};

    if (request.stripWidth > request.commonWidth) {
        return fail("the strip width " + QString::number(request.stripWidth) +
                    " is wider than the common width of the two pictures (" +
                    QString::number(request.commonWidth) + " pixels)");
    }
    const auto strips = zigzagStripCount(request.commonWidth, request.stripWidth);
    if (!strips)
        return fail(QString::fromStdString(strips.error()));
    auto combined = interleaveStrips(*a, *b, request);
    if (!combined)
        return fail(QString::fromStdString(combined.error()));
    if (auto saved = savePictureBmp(paths[2], *combined); !saved)
        return fail(QString::fromStdString(saved.error()));
    out << QStringLiteral("用紙は") << *strips << QStringLiteral("列に分けられます") << "\n";
    return kExitOk;
}

[[maybe_unused]] static const bool registered = registerCommand({"zigzag", kUsage, runZigzag});

}  // namespace

}  // namespace kirimo::cli
