#include "cli/sheet_option.h"

#include "cli/cli_args.h"

namespace kirimo::cli {

Result<SheetSize> parseSheetOption(const QString& text) {
    const auto size = parseDimensions(text);
    if (!size) {
        return makeError("--sheet must be WxH, two whole numbers such as 30x30 (got \"" +
                         text.toStdString() + "\")");
    }
    if (size->width < kSheetSideMin || size->height < kSheetSideMin) {
        return makeError("--sheet " + text.toStdString() +
                         ": both sides must be whole numbers of at least 1");
    }
    return SheetSize{size->width, size->height};
}

}  // namespace kirimo::cli
