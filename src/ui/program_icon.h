#pragma once
// The program's icon, for the main window and, through it, every child window and
// dialog.

#include <QIcon>

namespace kirimo::ui {

// The icon of the desktop's theme where the program is installed, else the copies built
// into the program.
QIcon programIcon();

}  // namespace kirimo::ui
