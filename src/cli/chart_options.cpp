#include "cli/chart_options.h"

#include <set>

#include "cli/cli_args.h"

namespace kirimo::cli {

namespace {

// Flags that stand alone and flags that take a value; which a command accepts.
const std::set<QString> kSwitches = {"--portrait",  "--pictures", "--colour",
                                     "--fill-cell", "--no-white", "--skip-white-pages",
                                     "--cover",     "--legend",   "--fill-colour"};
const std::set<QString> kValued = {"--sheet",   "--cell",        "--lines",          "--pages",
                                   "--symbols", "--user-colour", "--seed",           "--bold-every",
                                   "--margin",  "--colour-set",  "--colour-set-file"};
const std::set<QString> kImageFlags = {"--sheet",      "--portrait",       "--colour",
                                       "--symbols",    "--user-colour",    "--seed",
                                       "--colour-set", "--colour-set-file"};

}  // namespace

bool chartFlagTakesValue(const QString& flag) {
    return kValued.count(flag) > 0;
}

Result<ChartArguments> parseChartArguments(const QStringList& args, bool images) {
    ChartArguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!arg.startsWith(QLatin1String("--"))) {
            parsed.positional.append(arg);
            continue;
        }
        const bool known = kSwitches.count(arg) || kValued.count(arg);
        if (!known || (images && !kImageFlags.count(arg)))
            return makeError("unknown option \"" + arg.toStdString() + "\"");
        if (parsed.values.count(arg))
            return makeError(arg.toStdString() + " is given twice");
        QString value;
        if (kValued.count(arg)) {
            if (i + 1 >= args.size())
                return makeError(arg.toStdString() + " needs a value");
            value = args[++i];
        }
        parsed.values[arg] = value;
    }
    return parsed;
}

Result<std::vector<bool>> parsePages(const QString& text, const SheetGrid& grid) {
    std::vector<bool> checked(static_cast<size_t>(grid.count()), false);
    for (const QString& item : text.split(QLatin1Char(';'))) {
        const auto point = parsePoint(item.trimmed());
        if (!point) {
            return makeError("--pages: \"" + item.toStdString() +
                             "\" is malformed: expected \"C,R;C,R\", each item a column and a "
                             "row as whole numbers, such as \"1,1;2,1\"");
        }
        if (point->x < 1 || point->x > grid.columns() || point->y < 1 || point->y > grid.rows()) {
            return makeError("--pages: \"" + item.toStdString() +
                             "\" names no sheet (columns 1 to " + std::to_string(grid.columns()) +
                             ", rows 1 to " + std::to_string(grid.rows()) + ")");
        }
        checked[static_cast<size_t>((point->y - 1) * grid.columns() + point->x - 1)] = true;
    }
    return checked;
}

}  // namespace kirimo::cli
