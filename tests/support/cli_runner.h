#pragma once
// Runs the built kirimo-cli and collects what it printed.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace kirimo::test {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliRun runCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(KIRIMO_CLI_PATH), args);
    CliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        run.err = QStringLiteral("kirimo-cli did not finish");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace kirimo::test
