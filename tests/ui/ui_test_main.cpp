// Entry of the window tests: one QApplication for the whole program, on the offscreen
// platform unless another one was asked for.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "core/font_substitutes.h"
#include "ui/interface_language.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt warns on every start without a runtime folder (as in a build without a desktop
    // session, where the build lists the tests); a private one lasts as long as the run.
    QTemporaryDir runtimeFolder;
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr && runtimeFolder.isValid())
        setenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    kirimo::installFontSubstitutes();
    kirimo::ui::useJapaneseQtTexts(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
