#pragma once
// Runs kirimo-cli in a process of its own and reports its peak resident memory.
//
// RUSAGE_CHILDREN keeps the largest peak of every child ever waited for, so the test
// process's own children (earlier runs, poppler's tools) would mask a smaller one: a
// forked helper starts kirimo-cli, waits for it and sends back the peak of its only child.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
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
    const QByteArray errPath = QFile::encodeName(errFile.fileName());
    std::vector<QByteArray> owned{QByteArrayLiteral(KIRIMO_CLI_PATH)};
    for (const QString& arg : args)
        owned.push_back(arg.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : owned)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // Everything the helper needs is made before it is forked: it allocates nothing.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_TRUNC | O_CREAT,
                                     0600);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    const pid_t helper = fork();
    if (helper == 0) {
        // The helper: only async-signal-safe calls and posix_spawn from here on.
        close(pipeFds[0]);
        pid_t cli = 0;
        long result[2] = {-1, -1};
        if (posix_spawn(&cli, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            if (waitpid(cli, &status, 0) == cli && WIFEXITED(status))
                result[0] = WEXITSTATUS(status);
            rusage usage{};
            getrusage(RUSAGE_CHILDREN, &usage);
            result[1] = usage.ru_maxrss;
        }
        (void)!write(pipeFds[1], result, sizeof result);
        _exit(0);
    }
    close(pipeFds[1]);
    posix_spawn_file_actions_destroy(&actions);
    long result[2] = {-1, -1};
    if (helper > 0) {
        (void)!read(pipeFds[0], result, sizeof result);
        waitpid(helper, nullptr, 0);
    }
    close(pipeFds[0]);
    run.exitCode = static_cast<int>(result[0]);
    run.peakKb = result[1];
    QFile err(errFile.fileName());
    if (err.open(QIODevice::ReadOnly))
        run.err = QString::fromUtf8(err.readAll());
    return run;
}

}  // namespace kirimo::test
