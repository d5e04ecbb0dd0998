#pragma once
// The colour set of a command line: `--colour-set ID` (a shipped product line, bound
// automatically) or `--colour-set-file ColourSet.ini` (the program's own file, with the
// user's bindings).

#include <QString>
#include <optional>

#include "core/colour_sets.h"
#include "imaging/result.h"

namespace kirimo::cli {

// The product lines shipped with kirimo-cli.
const std::vector<ProductLine>& shippedProductLines();

// "unknown colour set \"x\"; the known ones are: artkal_a, ..." for an id not shipped.
std::string unknownColourSet(const QString& id);

// Binds `table` as the flags ask (at most one of them given). An unknown id, a file that
// cannot be read or that names an unknown line, code or a binding a set may not use is
// refused with a message.
Result<void> applyColourSetOption(ColourTable& table, const std::optional<QString>& id,
                                  const std::optional<QString>& file);

}  // namespace kirimo::cli
