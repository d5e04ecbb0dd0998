#pragma once
// Small operations on one colour's symbols that the colour symbol window, the automatic
// sorting and sticker printing share: flag lists from check marks, free picture slots,
// and the pictures a colour holds.

#include <QString>
#include <QStringList>
#include <vector>

#include "core/symbol_settings.h"

namespace kirimo {

// The candidate characters of a character string, in order: one per character, a pair of
// surrogates kept together. Element i belongs to element i of the flag list.
QStringList candidateCharacters(const QString& characters);

// A flag list from check marks in order: "-1" for checked, "0" for not, joined with ",";
// with `trailingComma` a "," follows the last element too.
QString flagListFromChecks(const std::vector<bool>& checks, bool trailingComma);

// The first free picture slot of the colour, or kPictureSlotCount when none is free.
int firstFreeSlot(const ColourSymbols& colour);

// Puts each path into the slots from `firstSlot` on, in order, each marked used, up to
// the last slot; paths beyond it are left out. The number of paths placed.
int placePictures(ColourSymbols& colour, int firstSlot, const QStringList& paths);

// One picture of a colour as sticker printing lists it.
struct SlotPicture {
    QString fileName;  // the text after the last separator
    QString path;      // as stored
};

// Every slot that holds a path, in slot order.
std::vector<SlotPicture> slotPictures(const ColourSymbols& colour);

}  // namespace kirimo
