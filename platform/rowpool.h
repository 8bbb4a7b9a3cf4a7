#pragma once
// A small fork-join pool for work split into numbered pieces: run() hands the
// pieces out to its worker threads and the calling thread alike and returns
// when all are done. The colour-cycling tick recolours its pictures on it.
// No Qt in here.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class RowPool
{
public:
    explicit RowPool(unsigned threads = 0); // 0: one per core, the caller included
    ~RowPool();
    RowPool(const RowPool &) = delete;
    RowPool &operator=(const RowPool &) = delete;

    // Calls work(piece) once for every piece 0 ... pieces-1, on any thread.
    void run(int pieces, const std::function<void(int piece)> &work);

    unsigned threads() const { return static_cast<unsigned>(workers_.size()) + 1; }

private:
    void workerLoop();
    void takePieces();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int)> *work_ = nullptr;
    int pieces_ = 0;
    int next_ = 0;
    int busy_ = 0;
    unsigned generation_ = 0;
    bool stop_ = false;
};
