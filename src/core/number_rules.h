#pragma once
// Text to whole numbers as the program's settings and text boxes need it: surrounding
// blanks allowed, fractions rounded half to even, nothing for text that is not a number
// or does not fit. The arithmetic rules themselves are in imaging/numeric.h.

#include <QStringView>
#include <cstdint>
#include <optional>

#include "imaging/numeric.h"

namespace kirimo {

// The numeric value of text: optional blanks, an optional sign, digits with an optional
// decimal point and an optional exponent, optional blanks. Nothing for anything else.
std::optional<double> parseNumber(QStringView text);

std::optional<int16_t> parseInt16(QStringView text);
std::optional<int32_t> parseInt32(QStringView text);

}  // namespace kirimo
