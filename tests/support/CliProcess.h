#pragma once
// k7700-cli as a process of its own, with a time limit, optionally behind a shell line (a
// `ulimit`): what a hang, a signal or a leftover file of the real program looks like.
#include <QProcess>
#include <QStringList>
#include <string>

namespace k7::test {

struct CliOutcome {
    bool finished = false;  // within the time limit
    int status = -1;        // the exit status; -1 when killed by a signal
    std::string out, err;
};

inline CliOutcome runCliProcess(const QStringList& args, const QString& shellFirst = {},
                                int limitMs = 20000) {
    QProcess p;
    if (shellFirst.isEmpty()) {
        p.start(K7700_CLI_PATH, args);
    } else {
        p.start("bash",
                QStringList{"-c", shellFirst + "; exec \"$0\" \"$@\"", K7700_CLI_PATH} + args);
    }
    CliOutcome r;
    r.finished = p.waitForFinished(limitMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    if (r.finished && p.exitStatus() == QProcess::NormalExit) r.status = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

}  // namespace k7::test
