#include "cli/sheet_option.h"

#include <QRegularExpression>
#include <cstdint>

namespace kirimo::cli {

Result<SheetSize> parseSheetOption(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^([+-]?[0-9]{1,10})[xX]([+-]?[0-9]{1,10})$"));
    const auto match = pattern.match(text);
    bool widthOk = false;
    bool heightOk = false;
    const qlonglong width = match.hasMatch() ? match.captured(1).toLongLong(&widthOk) : 0;
    const qlonglong height = match.hasMatch() ? match.captured(2).toLongLong(&heightOk) : 0;
    if (!widthOk || !heightOk || width < INT32_MIN || width > INT32_MAX || height < INT32_MIN ||
        height > INT32_MAX) {
        return makeError("--sheet must be WxH, two whole numbers such as 30x30 (got \"" +
                         text.toStdString() + "\")");
    }
    if (width < kSheetSideMin || height < kSheetSideMin) {
        return makeError("--sheet " + text.toStdString() +
                         ": both sides must be whole numbers of at least 1");
    }
    return SheetSize{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace kirimo::cli
