#include "reports/sheet_size_text.h"

#include <cmath>
#include <limits>

#include "core/number_rules.h"

namespace kirimo {

std::optional<int> parseSheetSide(QStringView text) {
    const std::optional<double> value = parseNumber(text);
    if (!value || *value != std::trunc(*value) || *value < kSheetSideMin ||
        *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<SheetSize> parseSheetSize(QStringView across, QStringView down) {
    const std::optional<int> width = parseSheetSide(across);
    const std::optional<int> height = parseSheetSide(down);
    if (!width || !height)
        return std::nullopt;
    return SheetSize{*width, *height};
}

}  // namespace kirimo
