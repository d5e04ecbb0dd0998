// Test entry: one QGuiApplication per test program, on the offscreen platform unless
// another one was asked for, so that picture plugins and fonts are available.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt warns on every start without a runtime folder (as in a build without a desktop
    // session, where the build lists the tests); a private one lasts as long as the run.
    QTemporaryDir runtimeFolder;
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr && runtimeFolder.isValid())
        setenv("XDG_RUNTIME_DIR", runtimeFolder.path().toLocal8Bit().constData(), 1);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
