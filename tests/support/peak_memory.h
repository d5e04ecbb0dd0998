#pragma once
// Runs kirimo-cli in a process of its own and reports its peak resident memory: wait4
// gives the usage of that one child, whatever else the test process has run before.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <vector>

extern char** environ;

namespace kirimo::test {

struct MeasuredRun {
    int exitCode = -1;
    long peakKb = -1;  // ru_maxrss of kirimo-cli, kilobytes
    QString err;
};

inline MeasuredRun runCliMeasured(const QStringList& args) {
    MeasuredRun run;
    QTemporaryFile errFile;
    if (!errFile.open())
        return run;
    std::vector<QByteArray> owned{QByteArrayLiteral(KIRIMO_CLI_PATH)};
    for (const QString& arg : args)
        owned.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errFile.handle(), 2);
    pid_t cli = 0;
    const bool started = posix_spawn(&cli, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (started && wait4(cli, &status, 0, &usage) == cli && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        run.peakKb = usage.ru_maxrss;
    }
    errFile.seek(0);
    run.err = QString::fromUtf8(errFile.readAll());
    return run;
}

}  // namespace kirimo::test
