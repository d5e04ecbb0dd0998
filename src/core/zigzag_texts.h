#pragma once
// The texts of the zigzag window that are worked out rather than shown: the name proposed
// for saving a combination and the strip width typed or chosen.

#include <QString>
#include <QStringView>
#include <optional>

namespace kirimo {

// The base name proposed for saving the combination of pictures A and B: each name without
// its folder, cut at its first ".", A's first ("/p/a.b.bmp" and "/q/c.jpg" give "ac").
QString zigzagSaveName(const QString& pathA, const QString& pathB);

// A strip width as text: a positive whole number of pixels, blanks around it allowed and a
// zero fraction too ("12", " 12 ", "12.0"). Nothing for anything else ("0", "-3", "2.5",
// "abc", "", a number beyond the 32-bit range).
std::optional<int> parseStripWidth(QStringView text);

}  // namespace kirimo
