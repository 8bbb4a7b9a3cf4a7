#pragma once
// The row engine: computes the rows of one image ahead of the caller on the
// worker threads of a row pool. No Qt in here.

#include <cstdint>
#include <memory>

#include "render/geometry.h"
#include "render/rowworker.h"

class RowPool;

namespace zoom {

// Computes the rows of one image ahead of the caller, one task a worker
// thread of the pool. The caller takes the rows in order with waitRow.
class RowEngine
{
public:
    explicit RowEngine(unsigned threads = 0); // a pool of its own; 0: one thread per core
    explicit RowEngine(RowPool &pool);        // the threads of a shared pool
    ~RowEngine();
    RowEngine(const RowEngine &) = delete;
    RowEngine &operator=(const RowEngine &) = delete;

    // Starts the image; any image still in progress is cancelled first.
    void begin(const Geometry &g);
    // Blocks until row r (0 ... h-1) of the current image is computed and
    // returns its w indices. Rows must be taken in increasing order.
    const std::uint8_t *waitRow(int r);
    // Stops the workers on the current image; rows not yet taken are
    // discarded. Returns when no worker touches the image any more.
    void cancel();

    unsigned threads() const;

    // What the workers did on the current image; complete once cancel() has
    // returned after the last row.
    RowStats statistics() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zoom
