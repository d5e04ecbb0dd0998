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

// The narrowest strip, in pixels.
inline constexpr int kStripWidthMin = 1;

// A strip width as text: parseWholeNumberAtLeast (core/number_rules.h) from kStripWidthMin.
std::optional<int> parseStripWidth(QStringView text);

}  // namespace kirimo
