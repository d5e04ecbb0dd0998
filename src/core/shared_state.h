#pragma once
// Process-wide state that every window reads and writes. It lives for the whole run
// and belongs to no window.

#include <QString>
#include <random>

#include <optional>
#include <vector>

#include "core/colour_sets.h"
#include "core/colour_table.h"
#include "core/symbol_settings.h"
#include "imaging/pixel_buffer.h"

namespace kirimo {

struct SharedState {
    QString currentFileName;  // full path of the source picture's file; empty before any
    // Folder of the picture last opened or saved, where picture dialogs start; empty
    // before any.
    QString lastPictureFolder;
    PixelBuffer workPixels;  // the shared pixel buffer, reshaped by every read
    int selectedPreviewIndex = 0;
    int pictureWidth = 0;
    int pictureHeight = 0;
    ColourTable colourTable;
    int captionHeightTwips = 0;
    QString activePreviewCaption;
    bool editApplied = false;
    int editZoom = 0;
    SymbolSettings symbolSettings;  // read from CodeUsePrint.ini at start-up
    // The one pseudo-random generator, seeded at start-up from the clock; tests seed it.
    std::mt19937 random;

    // The bead product lines shipped with the program, and the colour set in use (kept in
    // ColourSet.ini); colourTable is bound to it.
    std::vector<ProductLine> productLines;
    ColourSetChoice colourSet;
    // The table the picture in workPixels was converted with, when that was a colour set:
    // its counts, symbols and charts follow the set it was made in, not the current one.
    std::optional<ColourTable> pictureSetTable;

    // The table that maps the picture in workPixels back to its colours: its own colour
    // set's, or the current table for a picture of the standard set.
    const ColourTable& pictureTable() const {
        return pictureSetTable ? *pictureSetTable : colourTable;
    }
};

SharedState& sharedState();

}  // namespace kirimo
