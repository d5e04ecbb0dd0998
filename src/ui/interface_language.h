#pragma once
// The whole interface is Japanese: Qt's own texts (the buttons of message boxes, the
// file, font, print, print preview and page setup dialogs) are put into Japanese too,
// whatever the user's locale says.

class QCoreApplication;

namespace kirimo::ui {

// Loads Qt's Japanese translation (qtbase_ja, from Qt's translation folder) into the
// application and makes Japanese the default locale; false when the translation is not
// installed, and the texts then stay Qt's English.
bool useJapaneseQtTexts(QCoreApplication& app);

// The interface's font: the Japanese Gothic at 10 points where it is installed, else Qt's
// default.
void useInterfaceFont();

}  // namespace kirimo::ui
