#pragma once
// The command lines of `chart` and `chart-images`: flags, their values and --pages.

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <vector>

#include "imaging/result.h"
#include "imaging/sheets.h"

namespace kirimo::cli {

struct ChartArguments {
    QStringList positional;
    std::map<QString, QString> values;  // a switch has an empty value
    bool has(const char* flag) const { return values.count(QString::fromLatin1(flag)) > 0; }
    std::optional<QString> value(const char* flag) const {
        auto found = values.find(QString::fromLatin1(flag));
        return found == values.end() ? std::nullopt : std::optional<QString>(found->second);
    }
};

// Splits a chart command line into its positional arguments and its flags. `images`
// accepts only the flags of chart-images. Refuses an unknown flag, a flag given twice and
// a flag without its value.
Result<ChartArguments> parseChartArguments(const QStringList& args, bool images);

// True when `flag` takes a value on a chart command line.
bool chartFlagTakesValue(const QString& flag);

// "C,R;C,R;...": each item a sheet of the grid (column, row from 1); the page indices
// they check, in sheet order. Refuses a malformed item and a sheet outside the grid.
Result<std::vector<bool>> parsePages(const QString& text, const SheetGrid& grid);

}  // namespace kirimo::cli
