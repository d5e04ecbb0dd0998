#pragma once
// Sheet sizes typed by the user: the texts of the windows' sheet-size boxes.

#include <QStringView>
#include <optional>

#include "imaging/sheets.h"

namespace kirimo {

// The dots of one sheet side: a whole number of at least kSheetSideMin that fits 32 bits,
// with blanks around it allowed ("30", " 30 ", "30.0"). Nothing for letters, fractions,
// 0 and below, and numbers too large.
std::optional<int> parseSheetSide(QStringView text);

// Both sides, or nothing when either is refused.
std::optional<SheetSize> parseSheetSize(QStringView across, QStringView down);

}  // namespace kirimo
