#pragma once

#include <stop_token>
#include <thread>

namespace fotarel::cli {

// While it lives, Ctrl-C (SIGINT) and SIGTERM request a stop on `stop`
// instead of killing the program, so a render ends through its own stop
// path and leaves no half-written file. The signal handler only writes a
// byte to a pipe; a thread of this object reads it and requests the stop
// (a stop request is not safe inside a signal handler).
class StopOnSignals {
public:
    explicit StopOnSignals(std::stop_source stop);
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    std::stop_source stop_;
    int pipe_[2] = {-1, -1};
    std::thread waiter_;
};

} // namespace fotarel::cli
