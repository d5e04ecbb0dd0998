#pragma once
// Process-wide state that every window reads and writes. It lives for the whole run
// and belongs to no window.

#include <QString>
#include <random>

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
};

SharedState& sharedState();

}  // namespace kirimo
