#include "render/rowengine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>


namespace zoom {

// Rows that waitRow waits for at once when it has to sleep.
constexpr int kWaitBatch = 6;

struct RowEngine::Impl
{
    explicit Impl(unsigned threads);
    ~Impl();
    void work();
    void markRowDone(int r);
    void cancelLocked(std::unique_lock<std::mutex> &lock);

    std::vector<std::thread> pool;

    std::mutex mutex;
    std::condition_variable workCv; // workers: a new image, or quit
    std::condition_variable rowCv;  // caller: a row is done; cancel(): workers left

    // Guarded by mutex.
    bool quit = false;
    std::uint64_t generation = 0; // counts images begun
    bool open = false;            // the current image still hands out rows
    int busy = 0;                 // workers inside the current image

    // The current image: set up under the mutex while no worker is busy,
    // then read by the workers without the lock.
    Geometry geometry;
    std::vector<double> xs, ys;
    std::vector<std::uint8_t> pixels;
    std::unique_ptr<std::atomic<bool>[]> rowDone;
    std::atomic<int> nextRow{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> sleeper{false};         // the caller sleeps in waitRow ...
    std::atomic<int> waitFirst{-1};           // ... until this row
    std::atomic<int> waitLast{-1};            // ... and this one are done
    std::atomic<std::uint64_t> iterations{0}; // RowStats of the workers
    std::atomic<std::uint64_t> shortcuts{0};
};

RowEngine::Impl::Impl(unsigned threads)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    pool.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back([this] { work(); });
}

RowEngine::Impl::~Impl()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        cancelLocked(lock);
        quit = true;
    }
    workCv.notify_all();
    for (std::thread &t : pool)
        t.join();
}

void RowEngine::Impl::work()
{
#if defined(MANDEL_HAVE_X87)
    // Extended precision, rounding to nearest, all exceptions masked: the
    // arithmetic that the images are defined with, whatever the thread
    // inherited.
    const std::uint16_t control = 0x037F;
    asm volatile("fldcw %0" : : "m"(control));
#endif
    std::uint64_t seen = 0;
    RowWorker worker;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        workCv.wait(lock, [&] { return quit || (open && generation != seen); });
        if (quit)
            return;
        seen = generation;
        ++busy;
        lock.unlock();

        const ImageJob job{&geometry,
                           xs.data(),
                           ys.data(),
                           pixels.data(),
                           &nextRow,
                           &stop,
                           [](void *context, int r) { static_cast<Impl *>(context)->markRowDone(r); },
                           this};
        const RowStats done = worker.run(job);
        iterations.fetch_add(done.iterations, std::memory_order_relaxed);
        shortcuts.fetch_add(done.shortcuts, std::memory_order_relaxed);

        lock.lock();
        if (--busy == 0)
            rowCv.notify_all();
    }
}

void RowEngine::Impl::markRowDone(int r)
{
    // Sequentially consistent with the caller's `sleeper` store and row
    // check, so that one of the two sides sees the other.
    rowDone[r].store(true, std::memory_order_seq_cst);
    if (sleeper.load(std::memory_order_seq_cst)
        && (r == waitFirst.load(std::memory_order_seq_cst)
            || r == waitLast.load(std::memory_order_seq_cst))) {
        // Taking the lock orders this row before the caller's check.
        std::lock_guard<std::mutex> guard(mutex);
        rowCv.notify_all();
    }
}

void RowEngine::Impl::cancelLocked(std::unique_lock<std::mutex> &lock)
{
    open = false;
    stop.store(true, std::memory_order_release);
    rowCv.wait(lock, [&] { return busy == 0; });
}

RowEngine::RowEngine(unsigned threads)
    : impl_(std::make_unique<Impl>(threads))
{}

RowEngine::~RowEngine() = default;

void RowEngine::begin(const Geometry &g)
{
    Impl &d = *impl_;
    {
        std::unique_lock<std::mutex> lock(d.mutex);
        d.cancelLocked(lock);
        d.geometry = g;
        if (d.geometry.w < 0)
            d.geometry.w = 0;
        if (d.geometry.h < 0)
            d.geometry.h = 0;
        sampleChains(d.geometry, d.xs, d.ys);
        // Never empty, so that even rows of no pixels have an address.
        d.pixels.assign(std::max<std::size_t>(1, static_cast<std::size_t>(d.geometry.w)
                                                         * d.geometry.h),
                        0);
        d.rowDone = std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(d.geometry.h));
        for (int r = 0; r < d.geometry.h; ++r)
            d.rowDone[r].store(false, std::memory_order_relaxed);
        d.nextRow.store(0, std::memory_order_relaxed);
        d.stop.store(false, std::memory_order_relaxed);
        d.iterations.store(0, std::memory_order_relaxed);
        d.shortcuts.store(0, std::memory_order_relaxed);
        ++d.generation;
        d.open = true;
    }
    d.workCv.notify_all();
}

namespace {

// The processor's hint that this is a spin-wait loop.
inline void spinPause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

} // namespace

const std::uint8_t *RowEngine::waitRow(int r)
{
    Impl &d = *impl_;
    if (r < 0 || r >= d.geometry.h || !d.rowDone)
        return nullptr;
    const std::uint8_t *row = d.pixels.data() + static_cast<std::size_t>(r) * d.geometry.w;
    // A short spin first: the row is often just being finished.
    for (int i = 0; i < 64; ++i) {
        if (d.rowDone[r].load(std::memory_order_acquire))
            return row;
        spinPause();
    }
    // Then sleep until this row and a few after it are done, so that the
    // caller is not woken for every single row.
    const int last = std::min(r + kWaitBatch - 1, d.geometry.h - 1);
    std::unique_lock<std::mutex> lock(d.mutex);
    d.waitFirst.store(r, std::memory_order_seq_cst);
    d.waitLast.store(last, std::memory_order_seq_cst);
    d.sleeper.store(true, std::memory_order_seq_cst);
    d.rowCv.wait(lock, [&] {
        return (d.rowDone[r].load(std::memory_order_seq_cst)
                && d.rowDone[last].load(std::memory_order_seq_cst))
               || !d.open;
    });
    d.sleeper.store(false, std::memory_order_relaxed);
    // After cancel() the rows not yet computed never come.
    return d.rowDone[r].load(std::memory_order_acquire) ? row : nullptr;
}

void RowEngine::cancel()
{
    std::unique_lock<std::mutex> lock(impl_->mutex);
    impl_->cancelLocked(lock);
}

unsigned RowEngine::threads() const
{
    return static_cast<unsigned>(impl_->pool.size());
}

RowStats RowEngine::statistics() const
{
    return {impl_->iterations.load(std::memory_order_relaxed),
            impl_->shortcuts.load(std::memory_order_relaxed)};
}

} // namespace zoom
