#include "platform/rowpool.h"

#include <algorithm>

RowPool::RowPool(unsigned threads)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned t = 1; t < threads; ++t)
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

void RowPool::run(int pieces, const std::function<void(int piece)> &work)
{
    if (pieces <= 0)
        return;
    if (workers_.empty() || pieces == 1) {
        for (int p = 0; p < pieces; ++p)
            work(p);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        work_ = &work;
        pieces_ = pieces;
        next_ = 0;
        ++generation_;
    }
    wake_.notify_all();
    takePieces();
    std::unique_lock lock(mutex_);
    // Done when every piece is handed out and no thread is still in one.
    done_.wait(lock, [this] { return next_ >= pieces_ && busy_ == 0; });
    work_ = nullptr;
}

void RowPool::takePieces()
{
    std::unique_lock lock(mutex_);
    while (work_ && next_ < pieces_) {
        const int piece = next_++;
        const std::function<void(int)> *work = work_;
        ++busy_;
        lock.unlock();
        (*work)(piece);
        lock.lock();
        --busy_;
    }
    if (busy_ == 0)
        done_.notify_all();
}

void RowPool::workerLoop()
{
    unsigned seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
        if (stop_)
            return;
        seen = generation_;
        lock.unlock();
        takePieces();
        lock.lock();
    }
}
