#pragma once

// Runs a helper program (ffmpeg, ffprobe, dvdauthor, ...) for a test and
// waits for it. Started with posix_spawn rather than QProcess: the same
// tests then also run under ThreadSanitizer, whose runtime on Debian 12
// stops at QProcess's way of starting children.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace fotarel::test {

struct ProgramRun {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1; // -1 unless the program exited by itself
    QByteArray out;    // standard output (with standard error when merged)
    QByteArray err;    // standard error, unless merged

    bool ok() const { return started && !timedOut && exitCode == 0; }
};

struct ProgramOptions {
    QString workingFolder;                         // empty: the test's own
    std::vector<std::pair<QString, QString>> env;  // added to the test's environment
    bool mergeOutput = false;                      // standard error into `out`
    int timeoutMs = 120000;                        // then the program is killed
};

ProgramRun runProgram(const QString& program, const QStringList& args, const ProgramOptions& options = {});

} // namespace fotarel::test
