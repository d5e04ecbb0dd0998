#include "core/symbol_slots.h"

#include "core/file_names.h"

namespace kirimo {

QStringList candidateCharacters(const QString& characters) {
    QStringList list;
    const qsizetype n = characters.size();
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype length =
            (characters[i].isHighSurrogate() && i + 1 < n && characters[i + 1].isLowSurrogate())
                ? 2
                : 1;
        list << characters.mid(i, length);
        i += length - 1;
    }
    return list;
}

QString flagListFromChecks(const std::vector<bool>& checks, bool trailingComma) {
    QStringList elements;
    elements.reserve(static_cast<qsizetype>(checks.size()));
    for (bool checked : checks)
        elements << (checked ? QStringLiteral("-1") : QStringLiteral("0"));
    QString list = elements.join(QLatin1Char(','));
    if (trailingComma)
        list += QLatin1Char(',');
    return list;
}

int firstFreeSlot(const ColourSymbols& colour) {
    for (int i = 0; i < kPictureSlotCount; ++i) {
        if (colour.pictures[static_cast<size_t>(i)].isFree())
            return i;
    }
    return kPictureSlotCount;
}

int placePictures(ColourSymbols& colour, int firstSlot, const QStringList& paths) {
    int placed = 0;
    for (const QString& path : paths) {
        const int slot = firstSlot + placed;
        if (slot < 0 || slot >= kPictureSlotCount)
            break;
        colour.pictures[static_cast<size_t>(slot)] = PictureSlot{path, true};
        ++placed;
    }
    return placed;
}

std::vector<SlotPicture> slotPictures(const ColourSymbols& colour) {
    std::vector<SlotPicture> pictures;
    for (const PictureSlot& slot : colour.pictures) {
        if (!slot.isFree())
            pictures.push_back({getFileName(slot.path, 0), slot.path});
    }
    return pictures;
}

}  // namespace kirimo
