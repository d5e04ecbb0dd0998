#pragma once
// The --sheet WxH option of the commands that write reports.

#include <QString>

#include "imaging/result.h"
#include "imaging/sheets.h"

namespace kirimo::cli {

// "WxH": two whole numbers, each at least 1; the error names the option and the text.
Result<SheetSize> parseSheetOption(const QString& text);

}  // namespace kirimo::cli
