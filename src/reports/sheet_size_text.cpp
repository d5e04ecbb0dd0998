#include "reports/sheet_size_text.h"

#include "core/number_rules.h"

namespace kirimo {

std::optional<SheetSize> parseSheetSize(QStringView across, QStringView down) {
    const std::optional<int> width = parseWholeNumberAtLeast(across, kSheetSideMin);
    const std::optional<int> height = parseWholeNumberAtLeast(down, kSheetSideMin);
    if (!width || !height)
        return std::nullopt;
    return SheetSize{*width, *height};
}

}  // namespace kirimo
