#pragma once
// The conversion flags shared by `convert` and `report`:
//   --palette mono|8|16|18|primaries   --colours N,N,...   --user-colour RRGGBB
//   --space rgb|ycc|cie   --method fs|jjn   --weights W1,...,W12
//   --rate 0..100   --density R,G,B (each 0..50)

#include <QStringList>

#include "core/colour_table.h"
#include "imaging/conversion.h"
#include "imaging/result.h"

namespace kirimo::cli {

struct ConversionOptions {
    ConversionSettings settings;  // usable colours from --palette or --colours
    ColourTable colourTable;      // colour 17 from --user-colour
};

// The usage text of the conversion flags, one flag per line.
const char* conversionOptionsHelp();

// Takes the conversion flags out of `args`, leaving every other argument in order.
// Fails with a message naming the flag for a bad or repeated value, a missing value, or
// conflicting flags (--palette with --colours, --method with --weights).
Result<ConversionOptions> takeConversionOptions(QStringList& args);

}  // namespace kirimo::cli
