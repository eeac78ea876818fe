#include "tests/support/run_program.h"

#include <QDir>

#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fotarel::test {

namespace {

// Byte strings a spawn call can point at, kept alive for its duration.
struct CStrings {
    std::vector<QByteArray> storage;
    std::vector<char*> pointers;
    void add(const QByteArray& s) { storage.push_back(s); }
    char** finish()
    {
        for (QByteArray& s : storage)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
        return pointers.data();
    }
};

} // namespace

ProgramRun runProgram(const QString& program, const QStringList& args, const ProgramOptions& options)
{
    ProgramRun run;
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0)
        return run;
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return run;
    }

    CStrings argv;
    argv.add(program.toLocal8Bit());
    for (const QString& a : args)
        argv.add(a.toLocal8Bit());
    CStrings envp;
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('='));
        bool replaced = false;
        for (const auto& [key, value] : options.env)
            replaced = replaced || key.toLocal8Bit() == name;
        if (!replaced)
            envp.add(entry);
    }
    for (const auto& [key, value] : options.env)
        envp.add(key.toLocal8Bit() + '=' + value.toLocal8Bit());

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, options.mergeOutput ? outPipe[1] : errPipe[1], STDERR_FILENO);
    if (!options.workingFolder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, QDir(options.workingFolder).absolutePath().toLocal8Bit().constData());
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv.storage.front().constData(), &actions, nullptr, argv.finish(), envp.finish());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return run;
    }
    run.started = true;

    // Read both pipes until they close or the time is up.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    QByteArray* sinks[2] = {&run.out, &run.err};
    int open = 2;
    char buffer[65536];
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, int(left.count())) < 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, n);
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0)
            close(p.fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!run.timedOut && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

} // namespace fotarel::test
