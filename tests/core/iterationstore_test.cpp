#include <gtest/gtest.h>

#include "render/iterationstore.h"

TEST(IterationStore, ResizeKeepsCommonCellsAndZeroesNewOnes)
{
    IterationStore store;
    store.resize(7, 4, 3);
    for (int i = 0; i < 7; ++i)
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 3; ++y)
                store[i][x][y] = static_cast<std::uint8_t>(i * 16 + x * 4 + y + 1);

    store.resize(7, 6, 2);
    for (int i = 0; i < 7; ++i)
        for (int x = 0; x < 6; ++x)
            for (int y = 0; y < 2; ++y)
                EXPECT_EQ(store[i][x][y], x < 4 ? i * 16 + x * 4 + y + 1 : 0)
                        << i << ',' << x << ',' << y;

    store.resize(7, 3, 5);
    EXPECT_EQ(store[6][2][1], 6 * 16 + 2 * 4 + 1 + 1);
    EXPECT_EQ(store[6][2][2], 0); // cut off by the narrower store before
    EXPECT_EQ(store[6][2][4], 0);

    store.resize(0, 0, 0);
    EXPECT_EQ(store.size(), 0);
}
