#include "cli/conversion_options.h"

#include <optional>
#include <set>

#include "cli/cli_args.h"
#include "cli/colour_set_option.h"

namespace kirimo::cli {

namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

// A whole number written plainly (optional minus sign, digits), within [low, high].
std::optional<int> parseWhole(const QString& s, int low, int high) {
    const auto value = parseWholeNumber(s, true);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

Result<std::vector<int>> parseList(const QString& flag, const QString& value, int count, int low,
                                   int high) {
    const QStringList parts = value.split(u',');
    if (count > 0 && parts.size() != count) {
        return makeError(text(flag) + " needs " + std::to_string(count) +
                         " comma-separated whole numbers (got \"" + text(value) + "\")");
    }
    std::vector<int> numbers;
    for (const QString& part : parts) {
        const auto n = parseWhole(part.trimmed(), low, high);
        if (!n) {
            return makeError(text(flag) + ": \"" + text(part) + "\" is not a whole number from " +
                             std::to_string(low) + " to " + std::to_string(high));
        }
        numbers.push_back(*n);
    }
    return numbers;
}

}  // namespace

const char* conversionOptionsHelp() {
    return "    --palette mono|8|16|18|primaries  colours switched on (default 8)\n"
           "    --colours N,N,...                 ColourNumbers 0-17 switched on, instead\n"
           "    --user-colour RRGGBB              colour 17 (default 808080)\n"
           "    --colour-set ID                   the colours of a bead product line (see\n"
           "                                      kirimo-cli colour-sets)\n"
           "    --colour-set-file FILE            the colour set of a ColourSet.ini\n"
           "    --space rgb|ycc|cie               nearest-colour search (default rgb)\n"
           "    --method fs|jjn                   Floyd&Steinberg or Jarvis,Judice&Ninke\n"
           "    --weights W1,...,W12              twelve custom weights, instead of --method\n"
           "    --rate 0..100                     diffusion rate in percent (default 100)\n"
           "    --density R,G,B                   each 0..50, ten times the percent (default "
           "10,10,10)\n";
}

Result<ConversionOptions> takeConversionOptions(QStringList& args) {
    static const QStringList flags = {
        "--palette", "--colours", "--user-colour", "--space",      "--method",
        "--weights", "--rate",    "--density",     "--colour-set", "--colour-set-file"};
    std::optional<QString> colourSet;
    std::optional<QString> colourSetFile;
    ConversionOptions options;
    ConversionSettings& settings = options.settings;
    for (int n : paletteColours(1))
        settings.usable[n] = true;

    std::set<QString> seen;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& flag = args[i];
        if (!flags.contains(flag)) {
            rest.append(flag);
            continue;
        }
        if (i + 1 >= args.size())
            return makeError(text(flag) + " needs a value");
        if (!seen.insert(flag).second)
            return makeError(text(flag) + " is given twice");
        const QString value = args[++i];

        if (flag == "--palette") {
            static const QStringList kinds = {"mono", "8", "16", "18", "primaries"};
            const qsizetype kind = kinds.indexOf(value);
            if (kind < 0) {
                return makeError("--palette must be one of mono, 8, 16, 18, primaries (got \"" +
                                 text(value) + "\")");
            }
            settings.usable = {};
            for (int n : paletteColours(static_cast<int>(kind)))
                settings.usable[n] = true;
        } else if (flag == "--colours") {
            auto numbers = parseList(flag, value, 0, 0, kColourCount - 1);
            if (!numbers)
                return makeError(numbers.error());
            settings.usable = {};
            for (int n : *numbers)
                settings.usable[n] = true;
        } else if (flag == "--user-colour") {
            const auto rgb = parseColourText(value);
            if (!rgb) {
                return makeError("--user-colour must be six hexadecimal digits RRGGBB (got \"" +
                                 text(value) + "\")");
            }
            options.colourTable.setUserColourComponent(0, rgb->red);
            options.colourTable.setUserColourComponent(1, rgb->green);
            options.colourTable.setUserColourComponent(2, rgb->blue);
        } else if (flag == "--space") {
            if (value == "rgb") {
                settings.space = ColourSpace::Rgb;
            } else if (value == "ycc") {
                settings.space = ColourSpace::Ycc;
            } else if (value == "cie") {
                settings.space = ColourSpace::Cie;
            } else {
                return makeError("--space must be rgb, ycc or cie (got \"" + text(value) + "\")");
            }
        } else if (flag == "--method") {
            if (value == "fs") {
                settings.weights = kFloydSteinbergWeights;
            } else if (value == "jjn") {
                settings.weights = kJarvisJudiceNinkeWeights;
            } else {
                return makeError("--method must be fs or jjn (got \"" + text(value) + "\")");
            }
        } else if (flag == "--weights") {
            auto numbers = parseList(flag, value, kWeightCount, -32768, 32767);
            if (!numbers)
                return makeError(numbers.error());
            for (int k = 0; k < kWeightCount; ++k) {
                settings.weights[k] = static_cast<int16_t>((*numbers)[k]);
            }
        } else if (flag == "--rate") {
            const auto rate = parseWhole(value, kRateMin, kRateMax);
            if (!rate) {
                return makeError("--rate must be a whole number from 0 to 100 (got \"" +
                                 text(value) + "\")");
            }
            settings.rate = *rate;
        } else if (flag == "--colour-set") {
            colourSet = value;
        } else if (flag == "--colour-set-file") {
            colourSetFile = value;
        } else if (flag == "--density") {
            auto numbers = parseList(flag, value, 3, kDensityMin, kDensityMax);
            if (!numbers)
                return makeError(numbers.error());
            for (int c = 0; c < 3; ++c)
                settings.density[c] = (*numbers)[c];
        }
    }
    if (seen.count("--palette") && seen.count("--colours")) {
        return makeError("--palette and --colours cannot be used together");
    }
    if (seen.count("--method") && seen.count("--weights")) {
        return makeError("--method and --weights cannot be used together");
    }
    // A colour set binds the colours after the user colour is known (17 is the bead
    // nearest to it); colours it leaves unbound cannot be used.
    if (auto applied = applyColourSetOption(options.colourTable, colourSet, colourSetFile);
        !applied)
        return makeError(applied.error());
    for (int n = 0; n < kColourCount; ++n) {
        if (!settings.usable[n] || options.colourTable.usable(n))
            continue;
        if (seen.count("--colours")) {
            return makeError("--colours: colour " + std::to_string(n) +
                             " is not in the colour set " +
                             options.colourTable.colourSetId().toStdString());
        }
        settings.usable[n] = false;
    }
    args = rest;
    return options;
}

}  // namespace kirimo::cli
