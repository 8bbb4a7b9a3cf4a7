#pragma once
// The work of one thread of the row engine: it takes rows of an image one
// after another and computes them with the x87 kernel, the interior tests
// and the tests at the checkpoints. No Qt in here.

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "render/geometry.h"
#include "render/interior.h"
#include "render/rowkernel.h"

namespace zoom {

// What the workers of one image did, for the benchmark: the steps of the
// iteration they actually made, and the points they decided by a proof
// without iterating to the limit (inside the cardioid or the disc, caught by
// an attracting cycle, or periodic).
struct RowStats
{
    std::uint64_t iterations = 0;
    std::uint64_t shortcuts = 0;
};

// What a worker needs of an image, and how it hands out and reports rows.
struct ImageJob
{
    const Geometry *geometry;
    const double *xs;
    const double *ys;
    std::uint8_t *pixels;
    std::atomic<int> *nextRow;     // rows are taken from here in order
    const std::atomic<bool> *stop; // set: give up the image
    std::function<void(int row)> rowDone; // called once per row, when it is complete
};

class RowWorker
{
public:
    // Computes rows of the image, taking them one after another from the
    // shared row counter, until none is left or the image is given up. Every
    // pixel gets escapeIndex(xs[j], ys[r], limit). The orbit slots pass from
    // one row to the next without waiting for the end of a row; a row is
    // reported when its last pixel is done. Returns what was done.
    RowStats run(const ImageJob &job);

private:
    // An orbit's tests at the checkpoints. The state (a, b) decides every
    // later step, so when it comes back exactly the orbit is periodic and
    // never escapes; the literal loop would run to the limit, index 0. States
    // are saved at checkpoints 1, 2, 4, 8, ... of the orbit and compared at
    // every checkpoint. Besides, an orbit caught in the disc around an
    // attracting cycle of period 1 or 2 (see interior::Trapped) never
    // escapes either.
    struct CycleTest
    {
        std::int32_t pixel = -1;
        int checkpoints = 0;
        int saveAt = 1;
        int cycleAt = kernel::kCycleSearchSpacing; // the checkpoint of the next cycle search
        int period = 0; // the period the last cycle search found, 0 for none
        interior::Attractor attractor;
        unsigned char saved[20];
    };

    void fillAllRows();
    void takeRow();
    void fill(int lane);
    void report();
    void testAtCheckpoint();

    const ImageJob *job_ = nullptr;
    kernel::RowState s_{};
    bool rowsLeft_ = false;
    std::uint64_t shortcuts_ = 0;
    CycleTest test_[kernel::kLanes];
    // Kept from image to image, so that the worker allocates once.
    std::vector<std::int32_t> list_; // columns of the current row to iterate
    std::vector<int> pendingRows_;   // rows taken but not yet reported
};

} // namespace zoom
