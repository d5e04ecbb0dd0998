#include "cli/foreign_dots.h"

#include "reports/report_files.h"

namespace kirimo::cli {

void warnAboutForeignDots(QTextStream& err, const char* command, const char* verb,
                          const PixelBuffer& picture, const ColourTable& table) {
    const int64_t foreign = countNonTableDots(picture, table);
    if (foreign <= 0)
        return;
    err << "kirimo-cli " << command << ": warning: " << foreign << " of "
        << int64_t{picture.width()} * picture.height()
        << " dots are not colours of the colour table (is the picture converted, with the same "
           "--user-colour?); each is "
        << verb << " as the table colour nearest by value\n";
}

}  // namespace kirimo::cli
