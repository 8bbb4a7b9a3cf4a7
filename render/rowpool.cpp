#include "render/rowpool.h"

#include <algorithm>
#include <atomic>

RowPool::RowPool(unsigned threads)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 0; t < threads; ++t)
        workers_.emplace_back([this] { workerLoop(); });
}

RowPool::~RowPool()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread &t : workers_)
        t.join();
}

void RowPool::start(Batch &batch, std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        ++batch.unfinished;
        queue_.push_back({&batch, std::move(task)});
    }
    wake_.notify_one();
}

void RowPool::finish(Batch &batch)
{
    std::unique_lock lock(mutex_);
    batch.unfinished -= static_cast<int>(
            std::erase_if(queue_, [&](const Task &t) { return t.batch == &batch; }));
    finished_.wait(lock, [&] { return batch.unfinished == 0; });
}

void RowPool::run(int pieces, const std::function<void(int piece)> &work)
{
    std::atomic<int> next{0};
    const auto takePieces = [&] {
        for (int p = next++; p < pieces; p = next++)
            work(p);
    };
    Batch helpers;
    const int extra = std::min(pieces, static_cast<int>(threads())) - 1;
    for (int i = 0; i < extra; ++i)
        start(helpers, takePieces);
    takePieces();
    finish(helpers);
}

void RowPool::workerLoop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_)
            return;
        Task task = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        task.run();
        lock.lock();
        if (--task.batch->unfinished == 0)
            finished_.notify_all();
    }
}
