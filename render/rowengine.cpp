#include "render/rowengine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "render/rowpool.h"

namespace zoom {

// Rows that waitRow waits for at once when it has to sleep.
constexpr int kWaitBatch = 6;

struct RowEngine::Impl
{
    Impl(std::unique_ptr<RowPool> own, RowPool &shared);
    void work(RowWorker &worker);
    void markRowDone(int r);

    std::unique_ptr<RowPool> ownPool;
    RowPool &pool;
    RowPool::Batch batch;
    std::vector<RowWorker> workers; // one a thread, kept so that each allocates once

    // The current image: set up while no task runs, then read by the tasks.
    Geometry geometry;
    std::vector<double> xs, ys;
    std::vector<std::uint8_t> pixels;
    std::atomic<int> nextRow{0};
    std::atomic<bool> stop{false};

    mutable std::mutex mutex;
    std::condition_variable rowCv; // the caller: a row it waits for is done
    // Guarded by mutex.
    std::vector<char> rowDone;
    bool open = false;     // the current image still hands out rows
    int awaitedFirst = -1; // the caller sleeps in waitRow until this row
    int awaitedLast = -1;  // and this one are done
    RowStats stats;
};

RowEngine::Impl::Impl(std::unique_ptr<RowPool> own, RowPool &shared)
    : ownPool(std::move(own))
    , pool(shared)
    , workers(pool.threads())
{}

void RowEngine::Impl::work(RowWorker &worker)
{
#if defined(MANDEL_HAVE_X87)
    // Extended precision, rounding to nearest, all exceptions masked: the
    // arithmetic that the images are defined with, whatever the thread had.
    const std::uint16_t control = 0x037F;
    asm volatile("fldcw %0" : : "m"(control));
#endif
    const ImageJob job{&geometry,
                       xs.data(),
                       ys.data(),
                       pixels.data(),
                       &nextRow,
                       &stop,
                       [this](int r) { markRowDone(r); }};
    const RowStats done = worker.run(job);
    std::lock_guard lock(mutex);
    stats.iterations += done.iterations;
    stats.shortcuts += done.shortcuts;
}

void RowEngine::Impl::markRowDone(int r)
{
    std::lock_guard lock(mutex);
    rowDone[r] = 1;
    if (r == awaitedFirst || r == awaitedLast)
        rowCv.notify_one();
}

RowEngine::RowEngine(unsigned threads)
{
    auto own = std::make_unique<RowPool>(threads);
    RowPool &pool = *own;
    impl_ = std::make_unique<Impl>(std::move(own), pool);
}

RowEngine::RowEngine(RowPool &pool)
    : impl_(std::make_unique<Impl>(nullptr, pool))
{}

RowEngine::~RowEngine()
{
    cancel();
}

void RowEngine::begin(const Geometry &g)
{
    cancel();
    Impl &d = *impl_;
    d.geometry = g;
    d.geometry.w = std::max(d.geometry.w, 0);
    d.geometry.h = std::max(d.geometry.h, 0);
    sampleChains(d.geometry, d.xs, d.ys);
    // Never empty, so that even rows of no pixels have an address.
    d.pixels.assign(std::max<std::size_t>(1, static_cast<std::size_t>(d.geometry.w) * d.geometry.h),
                    0);
    d.nextRow = 0;
    d.stop = false;
    {
        std::lock_guard lock(d.mutex);
        d.rowDone.assign(static_cast<std::size_t>(d.geometry.h), 0);
        d.open = true;
        d.stats = {};
    }
    for (RowWorker &worker : d.workers)
        d.pool.start(d.batch, [&d, &worker] { d.work(worker); });
}

const std::uint8_t *RowEngine::waitRow(int r)
{
    Impl &d = *impl_;
    if (r < 0 || r >= d.geometry.h)
        return nullptr;
    std::unique_lock lock(d.mutex);
    if (!d.rowDone[r]) {
        // Sleep until this row and a few after it are done, so that the
        // caller is not woken for every single row.
        d.awaitedFirst = r;
        d.awaitedLast = std::min(r + kWaitBatch - 1, d.geometry.h - 1);
        d.rowCv.wait(lock, [&] { return (d.rowDone[r] && d.rowDone[d.awaitedLast]) || !d.open; });
        d.awaitedFirst = d.awaitedLast = -1;
    }
    // After cancel() the rows not yet computed never come.
    return d.rowDone[r] ? d.pixels.data() + static_cast<std::size_t>(r) * d.geometry.w : nullptr;
}

void RowEngine::cancel()
{
    Impl &d = *impl_;
    {
        std::lock_guard lock(d.mutex);
        d.open = false;
    }
    d.stop = true;
    d.pool.finish(d.batch);
}

unsigned RowEngine::threads() const
{
    return impl_->pool.threads();
}

RowStats RowEngine::statistics() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->stats;
}

} // namespace zoom
