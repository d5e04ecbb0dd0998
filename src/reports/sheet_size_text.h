#pragma once
// Sheet sizes typed by the user: the texts of the windows' sheet-size boxes.

#include <QStringView>
#include <optional>

#include "imaging/sheets.h"

namespace kirimo {

// Both sides, each a whole number of at least kSheetSideMin as parseWholeNumberAtLeast
// (core/number_rules.h) reads it, or nothing when either is refused.
std::optional<SheetSize> parseSheetSize(QStringView across, QStringView down);

}  // namespace kirimo
