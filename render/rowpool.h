#pragma once
// The program's worker threads, shared by the row engine, which gives each of
// them the rows of an image to compute, and the colour-cycling tick, which
// splits its recolouring into pieces of rows. No Qt in here.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class RowPool
{
public:
    explicit RowPool(unsigned threads = 0); // 0: one per core
    // Every batch must be finished before the pool goes.
    ~RowPool();
    RowPool(const RowPool &) = delete;
    RowPool &operator=(const RowPool &) = delete;

    unsigned threads() const { return static_cast<unsigned>(workers_.size()); }

    // Tasks that are waited for together. Guarded by the pool's mutex.
    struct Batch
    {
        int unfinished = 0;
    };

    // Queues `task` to run once on a worker thread, as part of `batch`.
    void start(Batch &batch, std::function<void()> task);
    // Takes back the batch's tasks that no worker has begun and returns when
    // the begun ones have returned.
    void finish(Batch &batch);

    // Calls work(piece) once for every piece 0 ... pieces-1, on the calling
    // thread and on up to threads() - 1 workers as they come free, and returns
    // when all are done. While the workers are busy elsewhere (the row engine
    // computing an image), the calling thread does all pieces itself.
    void run(int pieces, const std::function<void(int piece)> &work);

private:
    struct Task
    {
        Batch *batch;
        std::function<void()> run;
    };

    void workerLoop();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;     // workers: a task is queued, or stop
    std::condition_variable finished_; // finish(): a task has returned
    std::deque<Task> queue_;
    bool stop_ = false;
};
