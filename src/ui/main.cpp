// The program's entry: the command line, one running copy (a later start hands its
// picture over and ends), the real dialogs and desktop services, and the main window,
// which does the rest of the start-up.

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTime>
#include <cstdio>

#include "core/file_system.h"
#include "core/font_substitutes.h"
#include "kirimo/version.h"
#include "ui/app_environment.h"
#include "ui/dialogs.h"
#include "ui/frm_main.h"
#include "ui/interface_language.h"
#include "ui/program_icon.h"
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
    QApplication::setApplicationVersion(QString::fromLatin1(kirimo::version::kText));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kirimo::version::kAppId));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Turns a picture into a dot picture in named colours, with colour counts and charts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("picture"),
                                 QStringLiteral("A picture to open (the first one named)."),
                                 QStringLiteral("[picture...]"));
    // The arguments' exact bytes: a picture whose name is not UTF-8 still names its file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(kirimo::decodePath(QByteArray(argv[i])));
    parser.process(arguments);
    const QStringList pictures =
        kirimo::ui::absolutePicturePaths(parser.positionalArguments(), QDir::currentPath());

    kirimo::ui::SingleInstance instance;
    if (!instance.isFirst()) {
        if (!pictures.isEmpty() && !instance.sendPaths({pictures.first()})) {
            std::fputs("kirimo: the running copy could not be reached\n", stderr);
            return 1;
        }
        return 0;
    }

    // The same Japanese Gothic everywhere, where it is installed, and Qt's own texts in
    // Japanese.
    kirimo::ui::useInterfaceFont();
    kirimo::installFontSubstitutes();
    kirimo::ui::useJapaneseQtTexts(app);
    QApplication::setWindowIcon(kirimo::ui::programIcon());

    kirimo::ui::QtDialogs dialogs;
    kirimo::ui::AppEnvironment environment;
    environment.settingsFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    environment.dialogs = &dialogs;
    environment.manualPath = findManual();
    environment.openDocument = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    environment.secondsSinceMidnight = [] { return QTime(0, 0).secsTo(QTime::currentTime()); };

    kirimo::ui::FrmMain window(environment);
    QObject::connect(&instance, &kirimo::ui::SingleInstance::pathsReceived, &window,
                     [&window](const QStringList& paths) { window.openWhenIdle(paths.first()); });
    instance.startReceiving();
    window.show();
    if (!pictures.isEmpty())
        window.openWhenIdle(pictures.first());
    return app.exec();
}
