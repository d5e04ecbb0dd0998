#include "core/zigzag_texts.h"

#include "core/file_names.h"
#include "core/number_rules.h"

namespace kirimo {

QString zigzagSaveName(const QString& pathA, const QString& pathB) {
    return getFileName(pathA, 1) + getFileName(pathB, 1);
}

std::optional<int> parseStripWidth(QStringView text) {
    return parseWholeNumberAtLeast(text, kStripWidthMin);
}

}  // namespace kirimo
