#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace fotarel {

// A fixed set of worker threads running submitted jobs in submission order.
// Jobs touch only their own data (files and pictures of one photo); the
// caller collects the results in its own order, so tables and counters
// change exactly as a sequential run would change them. Jobs not started
// when the pool goes are dropped (their futures report a broken promise).
class WorkerPool {
public:
    explicit WorkerPool(int threads = 0);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    template <class F>
    auto submit(F job) -> std::future<decltype(job())>
    {
        using Result = decltype(job());
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(job));
        std::future<Result> future = task->get_future();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.emplace_back([task] { (*task)(); });
        }
        wake_.notify_one();
        return future;
    }

    int size() const { return int(threads_.size()); }

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

// Waits for a result, letting `pump` run (window events) while it waits.
template <class T>
T waitPumping(std::future<T>& future, const std::function<void()>& pump)
{
    while (future.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        if (pump)
            pump();
    return future.get();
}

} // namespace fotarel
