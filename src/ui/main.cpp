// The program's entry: one running copy, the real dialogs and desktop services, and the
// main window, which does the rest of the start-up.

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTime>

#include "ui/app_environment.h"
#include "ui/dialogs.h"
#include "ui/frm_main.h"
#include "ui/single_instance.h"

namespace {

// The manual next to the program in the build tree, or where installation puts it.
QString findManual() {
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString candidates[] = {
        programFolder.filePath(QStringLiteral("manual/index.html")),
        programFolder.filePath(QStringLiteral("../share/kirimo/manual/index.html")),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QDir::cleanPath(candidates[1]);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kirimo"));

    const kirimo::ui::SingleInstance instance;
    if (!instance.isFirst())
        return 0;

    // The same Japanese Gothic everywhere, where it is installed.
    if (QFontDatabase::families().contains(QStringLiteral("IPAexGothic")))
        QApplication::setFont(QFont(QStringLiteral("IPAexGothic"), 10));

    kirimo::ui::QtDialogs dialogs;
    kirimo::ui::AppEnvironment environment;
    environment.settingsFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    environment.dialogs = &dialogs;
    environment.manualPath = findManual();
    environment.openDocument = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    environment.secondsSinceMidnight = [] { return QTime(0, 0).secsTo(QTime::currentTime()); };

    kirimo::ui::FrmMain window(environment);
    window.show();
    return app.exec();
}
