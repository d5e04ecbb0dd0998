// Fuzz target for the option parsers of kirimo-cli: the input is a command line, its
// arguments separated by zero bytes. Whole numbers, sizes and points read back as
// themselves, --sheet gives sides of at least 1, and the conversion flags give settings
// within their ranges and leave every other argument in order.
// Built with libFuzzer under clang (-DKIRIMO_FUZZ=ON), or with the replay driver.

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "cli/cli_args.h"
#include "cli/conversion_options.h"
#include "cli/sheet_option.h"

namespace {

const QStringList kConversionFlags = {"--palette", "--colours", "--user-colour", "--space",
                                      "--method",  "--weights", "--rate",        "--density"};

void checkArgument(const QString& arg) {
    using namespace kirimo::cli;
    for (const bool negative : {false, true}) {
        if (const auto n = parseWholeNumber(arg, negative)) {
            if ((!negative && *n < 0) || parseWholeNumber(QString::number(*n), negative) != n)
                __builtin_trap();
        }
    }
    if (const auto size = parseDimensions(arg)) {
        const auto again =
            parseDimensions(QStringLiteral("%1x%2").arg(size->width).arg(size->height));
        if (size->width < 0 || size->height < 0 || !again || again->width != size->width ||
            again->height != size->height) {
            __builtin_trap();
        }
    }
    if (const auto point = parsePoint(arg)) {
        const auto again = parsePoint(QStringLiteral("%1,%2").arg(point->x).arg(point->y));
        if (!again || again->x != point->x || again->y != point->y)
            __builtin_trap();
    }
    const auto sheet = parseSheetOption(arg);
    if (sheet.ok() != (parseDimensions(arg) && parseDimensions(arg)->width >= 1 &&
                       parseDimensions(arg)->height >= 1)) {
        __builtin_trap();
    }
    if (!sheet.ok() && sheet.error().empty())
        __builtin_trap();
    (void)hasBmpSuffix(arg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // As main() gets its arguments: in the system's encoding.
    QStringList args;
    for (const QByteArray& piece : bytes.split('\0'))
        args.append(QString::fromLocal8Bit(piece));
    for (const QString& arg : args)
        checkArgument(arg);

    QStringList rest = args;
    auto options = kirimo::cli::takeConversionOptions(rest);
    if (!options) {
        if (options.error().empty() || rest != args)
            __builtin_trap();
        return 0;
    }
    // What is left are the arguments that were neither a flag nor its value, in order.
    qsizetype at = 0;
    for (const QString& arg : rest) {
        if (kConversionFlags.contains(arg))
            __builtin_trap();
        while (at < args.size() && args[at] != arg)
            ++at;
        if (at++ == args.size())
            __builtin_trap();
    }
    const kirimo::ConversionSettings& settings = options->settings;
    if (settings.rate < kirimo::kRateMin || settings.rate > kirimo::kRateMax)
        __builtin_trap();
    for (const int density : settings.density) {
        if (density < kirimo::kDensityMin || density > kirimo::kDensityMax)
            __builtin_trap();
    }
    return 0;
}
