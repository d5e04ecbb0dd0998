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

// A count typed into a text box (a sheet side, a strip width): text parseNumber takes
// whose value is a whole number from `minimum` to 2147483647 (" 12 ", "+12", "012",
// "12.0", "1.2e1" all give 12). Nothing for a fraction, a value below `minimum` or beyond
// 32 bits, and any text parseNumber refuses (full-width digits among it).
std::optional<int> parseWholeNumberAtLeast(QStringView text, int minimum);

}  // namespace kirimo
