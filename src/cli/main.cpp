// kirimo-cli: the conversion engine, picture operations and reports from the command line.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "core/file_system.h"
#include "core/font_substitutes.h"
#include "kirimo/version.h"

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt says on every run of a painting command that XDG_RUNTIME_DIR is unset (it then uses
// a folder of its own, which is all kirimo-cli needs): that one message is dropped, every
// other one goes on as before.
void dropRuntimeDirNotice(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) {
        return;
    }
    if (previousHandler != nullptr)
        previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void printUsage(QTextStream& stream) {
    stream << "Usage: kirimo-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const auto& command : kirimo::cli::commands())
        stream << "  " << command.usage << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    kirimo::cli::keepFreedPictureMemory();
    // Commands that paint need fonts, so a QGuiApplication, on the offscreen platform: no
    // command needs a display.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && kirimo::cli::commandPaints(QString::fromLocal8Bit(argv[1]))) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        previousHandler = qInstallMessageHandler(dropRuntimeDirNotice);
        app = std::make_unique<QGuiApplication>(argc, argv);
        kirimo::installFontSubstitutes();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);

    // The arguments' exact bytes: a file name that is not UTF-8 still names its file.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(kirimo::decodePath(QByteArray(argv[i])));
    if (args.isEmpty() || args.first() == "--help" || args.first() == "-h") {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? kirimo::cli::kExitUsage : kirimo::cli::kExitOk;
    }
    if (args.first() == "--version") {
        out << "kirimo-cli " << kirimo::version::kText << "\n";
        return kirimo::cli::kExitOk;
    }
    const QString name = args.takeFirst();
    for (const auto& command : kirimo::cli::commands()) {
        if (name != QLatin1String(command.name))
            continue;
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            out << "Usage: kirimo-cli " << command.usage << "\n";
            return kirimo::cli::kExitOk;
        }
        return command.run(args, out, err);
    }
    err << "kirimo-cli: unknown command \"" << name << "\"\n\n";
    printUsage(err);
    return kirimo::cli::kExitUsage;
}
