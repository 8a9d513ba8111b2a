// SPDX-License-Identifier: MIT
// What both bridges do to a frame before it is encoded: mirror it and cut
// it to one block, nearest the centre first, warning at most once a minute.
#include "net/wireformat.h"
#include "sim/bridgeframe.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(FrameLimiter, mirrorsAsAsked)
{
    QStringList log;
    auto sink = [&](const QString &line) { log << line; };
    const QVector<SimTarget> frame{{0.25f, 0.125f, 1}};
    EXPECT_EQ(FrameLimiter({}, sink)(frame, 0)[0].x, 0.25f);
    const SimTarget x = FrameLimiter({true, false}, sink)(frame, 0)[0];
    EXPECT_EQ(x.x, 0.75f);
    EXPECT_EQ(x.y, 0.125f);
    const SimTarget y = FrameLimiter({false, true}, sink)(frame, 0)[0];
    EXPECT_EQ(y.x, 0.25f);
    EXPECT_EQ(y.y, 0.875f);
    EXPECT_TRUE(log.isEmpty());
}

TEST(FrameLimiter, keepsWhatABlockCarriesNearestTheCentreAndWarnsOncePerInterval)
{
    QStringList log;
    FrameLimiter limit({}, [&](const QString &line) { log << line; });
    // Two targets in far corners among a block's worth near the centre.
    QVector<SimTarget> frame{{0.0f, 0.0f, 1}};
    for (int i = 0; i < wire::maxRecordsPerBlock; ++i)
        frame.push_back({0.5f + 0.25f * float(i) / wire::maxRecordsPerBlock, 0.5f, 2});
    frame.push_back({1.0f, 1.0f, 3});

    const QVector<SimTarget> kept = limit(frame, 0);
    ASSERT_EQ(kept.size(), wire::maxRecordsPerBlock);
    EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), [](const SimTarget &t) {
        return t.value == 2;
    })) << "the corners are left out";
    EXPECT_EQ(log.size(), 1);

    limit(frame, Throttle::warningIntervalMs - 1);
    EXPECT_EQ(log.size(), 1);
    limit(frame, Throttle::warningIntervalMs);
    EXPECT_EQ(log.size(), 2);
    EXPECT_TRUE(log.last().contains("2 block(s) cut")) << qPrintable(log.last());
}

} // namespace
