#include "photos/worker_pool.h"

#include <algorithm>

namespace fotarel {

WorkerPool::WorkerPool(int threads)
{
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back([this] { run(); });
}

WorkerPool::~WorkerPool()
{
    // Jobs nobody waits for any more (the work was stopped part-way) are
    // dropped; the running ones finish.
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        dropped.swap(queue_);
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void WorkerPool::run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return; // stopping
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        job();
    }
}

} // namespace fotarel
