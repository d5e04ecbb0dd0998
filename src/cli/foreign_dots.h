#pragma once
// The warning of the commands that read a converted picture: dots whose colour is none
// of the colour table's are treated as the table colour nearest by value, as the program
// does, and the user is told, since the result then describes a picture that differs
// from the one given.

#include <QTextStream>

#include "core/colour_table.h"
#include "imaging/pixel_buffer.h"

namespace kirimo::cli {

// Writes "kirimo-cli COMMAND: warning: N of M dots are not colours of the colour table
// (...); each is VERB as the table colour nearest by value" to `err` when N is above 0.
void warnAboutForeignDots(QTextStream& err, const char* command, const char* verb,
                          const PixelBuffer& picture, const ColourTable& table);

}  // namespace kirimo::cli
