// SPDX-License-Identifier: MIT
#include "sim/replay.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

QVector<RecordedBlock> blocksAt(const QVector<qint64> &timesUs)
{
    QVector<RecordedBlock> blocks;
    for (qint64 t : timesUs)
        blocks.push_back({t, 0, 4});
    return blocks;
}

TEST(ReplaySchedule, playsEachBlockOnceAtItsTimeThenRunsOut)
{
    const auto blocks = blocksAt({40000, 80000, 125000});
    for (int k = 0; k < 3; ++k) {
        const auto s = replaySchedule(blocks, k, false);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->index, k);
        EXPECT_EQ(s->dueUs, blocks[k].timeUs);
    }
    EXPECT_FALSE(replaySchedule(blocks, 3, false));
    EXPECT_FALSE(replaySchedule(blocks, -1, false));
    EXPECT_FALSE(replaySchedule({}, 0, true));
}

TEST(ReplaySchedule, loopsFromTheSecondBlockKeepingTheFirstGap)
{
    // Period 100 ms - 40 ms = 60 ms: after the last block (100 ms) the second
    // follows at 110 ms, 10 ms later as it followed the first, pass after pass.
    const auto blocks = blocksAt({40000, 50000, 70000, 100000});
    const QVector<std::pair<int, qint64>> expected{{0, 40000},  {1, 50000},  {2, 70000},
                                                   {3, 100000}, // as recorded
                                                   {1, 110000}, {2, 130000}, {3, 160000},  // pass 1
                                                   {1, 170000}, {2, 190000}, {3, 220000}}; // pass 2
    for (int k = 0; k < expected.size(); ++k) {
        const auto s = replaySchedule(blocks, k, true);
        ASSERT_TRUE(s) << k;
        EXPECT_EQ(s->index, expected[k].first) << k;
        EXPECT_EQ(s->dueUs, expected[k].second) << k;
    }
}

TEST(ReplaySchedule, loopingNeedsTwoBlocksAndNeverOverflows)
{
    EXPECT_FALSE(replaySchedule(blocksAt({5}), 1, true));
    const qint64 late = std::numeric_limits<qint64>::max() / 2;
    const auto blocks = blocksAt({0, late});
    const auto far = replaySchedule(blocks, 1000, true);
    ASSERT_TRUE(far);
    EXPECT_EQ(far->index, 1);
    EXPECT_EQ(far->dueUs, std::numeric_limits<qint64>::max());
    // All at one moment: every pass is due at once.
    const auto still = replaySchedule(blocksAt({7, 7, 7}), 1000001, true);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->dueUs, 7);
}

} // namespace
