#pragma once
// Strict parsing of the numbers kirimo-cli takes on its command line: plain decimal
// digits, no blanks, no fractions, and values that fit a signed 32-bit number.

#include <QString>
#include <QStringView>
#include <optional>

namespace kirimo::cli {

struct Dimensions {
    int width = 0;
    int height = 0;
};

struct Point {
    int x = 0;
    int y = 0;
};

// Decimal digits with an optional leading '-' when `allowNegative`; nothing for anything
// else (blanks, '+', fractions, exponents, other digits, values beyond 32 bits).
std::optional<int> parseWholeNumber(QStringView text, bool allowNegative = false);

// "WxH" (or "WXH"): two unsigned whole numbers.
std::optional<Dimensions> parseDimensions(QStringView text);

// "X,Y": two whole numbers, each possibly negative.
std::optional<Point> parsePoint(QStringView text);

// True when the file name ends in ".bmp", in any letter case.
bool hasBmpSuffix(const QString& path);

// --margin MM of the PDF commands: whole millimetres kept empty on every side of a page,
// from 0 (the whole page) to kMaxMarginMm; kDefaultMarginMm when not given, which an
// ordinary printer prints whole.
inline constexpr int kDefaultMarginMm = 5;
inline constexpr int kMaxMarginMm = 50;
std::optional<int> parseMargin(QStringView text);
inline constexpr const char* kMarginHelp =
    "    --margin MM                 empty border on every side of a page, whole mm 0-50\n"
    "                                (default 5; 0 prints to the paper's edge)\n";

}  // namespace kirimo::cli

namespace kirimo::cli {

// Keeps memory freed by one large picture inside the process for the next one instead of
// handing it back to the system, so a command that reads, operates on and writes pictures
// reuses the same pages rather than having the kernel supply (and clear) fresh ones for
// every intermediate picture. Does nothing where the C library offers no such setting.
void keepFreedPictureMemory();

}  // namespace kirimo::cli
