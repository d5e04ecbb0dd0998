#pragma once
// What A4 chart printing puts into the cell of each dot: per colour a string of candidate
// characters with a use flag per character and ten picture slots, and one symbol font for
// all colours. Shared state: read from CodeUsePrint.ini at start-up, changed in place by the
// colour symbol window, read by every print run.

#include <QString>
#include <QStringList>
#include <array>

#include "imaging/palette.h"

namespace kirimo {

inline constexpr int kPictureSlotCount = 10;

struct PictureSlot {
    QString path;      // empty for a free slot
    bool used = true;  // a free slot's flag is true

    bool isFree() const { return path.isEmpty(); }
};

struct ColourSymbols {
    // Its characters, in order, are the colour's candidate characters; character i belongs
    // to element i of `flags`.
    QString characters;
    // Comma-separated numbers, one per character; a value other than 0 marks the character
    // as used. Missing, empty or non-numeric elements count as 0. Kept as text because the
    // file stores it so and a list may end in ",".
    QString flags;
    std::array<PictureSlot, kPictureSlotCount> pictures{};
};

struct SymbolSettings {
    QString fontName;
    int bold = 0;    // 0 off, any other value on
    int italic = 0;  // 0 off, any other value on
    std::array<ColourSymbols, kColourCount> colours{};
};

// Whether element `index` (from 0) of a flag list marks its character as used: a number
// other than 0. Missing, empty and non-numeric elements count as 0.
inline bool flagIsUsed(const QString& flags, int index) {
    const QStringList elements = flags.split(QLatin1Char(','));
    if (index < 0 || index >= elements.size())
        return false;
    bool ok = false;
    const double value = elements[index].trimmed().toDouble(&ok);
    return ok && value != 0;
}

}  // namespace kirimo
