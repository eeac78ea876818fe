#include "cli/stop_on_signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace fotarel::cli {

namespace {

std::atomic<int> signalPipe{-1};
struct sigaction previousInt;
struct sigaction previousTerm;

constexpr char kSignalled = 's';
constexpr char kQuit = 'q';

void onSignal(int)
{
    const int saved = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const char byte = kSignalled;
        [[maybe_unused]] const ssize_t n = write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

StopOnSignals::StopOnSignals(std::stop_source stop) : stop_(std::move(stop))
{
    if (pipe2(pipe_, O_CLOEXEC) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return; // without the pipe the signals keep their usual effect
    }
    signalPipe.store(pipe_[1]);
    waiter_ = std::thread([this] {
        char byte = 0;
        while (true) {
            const ssize_t n = read(pipe_[0], &byte, 1);
            if (n < 0 && errno == EINTR)
                continue;
            if (n != 1 || byte == kQuit)
                return;
            stop_.request_stop();
        }
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

StopOnSignals::~StopOnSignals()
{
    if (pipe_[1] < 0)
        return;
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    signalPipe.store(-1);
    const char byte = kQuit;
    while (write(pipe_[1], &byte, 1) < 0 && errno == EINTR) {
    }
    waiter_.join();
    close(pipe_[0]);
    close(pipe_[1]);
}

} // namespace fotarel::cli
