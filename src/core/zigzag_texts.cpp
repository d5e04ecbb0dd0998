#include "core/zigzag_texts.h"

#include <cmath>

#include "core/file_names.h"
#include "core/number_rules.h"

namespace kirimo {

QString zigzagSaveName(const QString& pathA, const QString& pathB) {
    return getFileName(pathA, 1) + getFileName(pathB, 1);
}

std::optional<int> parseStripWidth(QStringView text) {
    const auto value = parseNumber(text);
    if (!value || *value < 1.0 || *value > 2147483647.0 || std::floor(*value) != *value)
        return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace kirimo
