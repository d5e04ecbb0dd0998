#pragma once
// What the windows need from outside: the settings folder, the dialogs, the manual and
// the way to open it, and the clock. main() fills it with the real services; tests put
// sandboxed folders and scripted doubles in.

#include <QString>
#include <QUrl>
#include <functional>

namespace kirimo::ui {

class Dialogs;
class PrintDialogs;

struct AppEnvironment {
    // The program's folder: settings files live here, and it is made current before
    // they are read or written. Created when missing.
    QString settingsFolder;
    Dialogs* dialogs = nullptr;
    // The printer and print preview dialogs; nullptr means Qt's own.
    PrintDialogs* printDialogs = nullptr;
    // The HTML manual's start page.
    QString manualPath;
    // Opens a document with the desktop's default application; false when it cannot.
    std::function<bool(const QUrl&)> openDocument;
    // Whole seconds since midnight, local time.
    std::function<int()> secondsSinceMidnight;
};

}  // namespace kirimo::ui
