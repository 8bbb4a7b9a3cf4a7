// The fork-join pool of the colour-cycling tick: every piece runs exactly
// once per call, whatever the number of threads and pieces, and the call
// returns only when all are done (also run under ThreadSanitizer).

#include "render/rowpool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

TEST(RowPool, EveryPieceRunsOnceBeforeRunReturns)
{
    for (unsigned threads : {1u, 2u, 4u}) {
        RowPool pool(threads);
        EXPECT_EQ(pool.threads(), threads);
        for (int pieces : {0, 1, 7, 100}) {
            for (int round = 0; round < 50; ++round) {
                std::vector<std::atomic<int>> runs(static_cast<std::size_t>(pieces));
                std::vector<int> written(static_cast<std::size_t>(pieces), 0);
                pool.run(pieces, [&](int p) {
                    runs[p].fetch_add(1);
                    written[p] = p + round; // plain writes, read after run()
                });
                for (int p = 0; p < pieces; ++p) {
                    ASSERT_EQ(runs[p].load(), 1) << threads << " threads, piece " << p;
                    ASSERT_EQ(written[p], p + round);
                }
            }
        }
    }
}

} // namespace
