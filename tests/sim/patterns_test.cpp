// SPDX-License-Identifier: MIT
#include "sim/patterns.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

QVector<SimTarget> frame(Pattern p, int count, double seconds, quint64 seed = 1)
{
    return makePatternSource(p, count, seed)->targetsAt(seconds);
}

TEST(Patterns, namesRoundTripAndUnknownNamesAreRefused)
{
    for (const QString &name : patternNames())
        EXPECT_TRUE(patternFromName(name).has_value()) << qPrintable(name);
    EXPECT_FALSE(patternFromName("Walk").has_value());
    EXPECT_FALSE(patternFromName("").has_value());
    EXPECT_EQ(*patternFromName("corners"), Pattern::Corners);
}

TEST(Patterns, everyPatternGivesTheRequestedCountNumberedFromOne)
{
    for (Pattern p : {Pattern::Walk, Pattern::Grid, Pattern::Corners}) {
        EXPECT_TRUE(frame(p, 0, 1.0).isEmpty());
        const QVector<SimTarget> t = frame(p, 37, 1.0);
        ASSERT_EQ(t.size(), 37);
        for (int i = 0; i < t.size(); ++i)
            EXPECT_EQ(t[i].value, i + 1);
    }
}

TEST(Patterns, cornersMarkTheCornersAndTheCentre)
{
    const QVector<SimTarget> t = frame(Pattern::Corners, 7, 0.0);
    const float expected[7][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5f, 0.5f}, {0, 0}, {1, 0}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(t[i].x, expected[i][0]) << i;
        EXPECT_EQ(t[i].y, expected[i][1]) << i;
    }
    EXPECT_EQ(frame(Pattern::Corners, 5, 123.4)[3].x, 1.0f);
}

TEST(Patterns, gridFillsASquareOfCellCentresAndStandsStill)
{
    const QVector<SimTarget> t = frame(Pattern::Grid, 7, 0.0); // 3 x 3 grid, 7 used
    EXPECT_FLOAT_EQ(t[0].x, 1.0f / 6);
    EXPECT_FLOAT_EQ(t[0].y, 1.0f / 6);
    EXPECT_FLOAT_EQ(t[4].x, 0.5f);
    EXPECT_FLOAT_EQ(t[4].y, 0.5f);
    EXPECT_FLOAT_EQ(t[6].x, 1.0f / 6);
    EXPECT_FLOAT_EQ(t[6].y, 5.0f / 6);
    const QVector<SimTarget> later = frame(Pattern::Grid, 7, 99.0);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(later[i].x, t[i].x);
}

TEST(Patterns, walkIsFixedBySeedAndTimeAndDiffersAcrossSeeds)
{
    const QVector<SimTarget> a = frame(Pattern::Walk, 20, 12.5, 42);
    const QVector<SimTarget> b = frame(Pattern::Walk, 20, 12.5, 42);
    const QVector<SimTarget> c = frame(Pattern::Walk, 20, 12.5, 43);
    int differing = 0;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(a[i].x, b[i].x);
        EXPECT_EQ(a[i].y, b[i].y);
        differing += a[i].x != c[i].x;
    }
    EXPECT_GT(differing, 15);
}

TEST(Patterns, walkersStayOnTheDiscMoveAndNeverJump)
{
    auto source = makePatternSource(Pattern::Walk, 50, 7);
    const double step = 0.04; // the client's request interval
    QVector<SimTarget> previous = source->targetsAt(0.0);
    QVector<double> travelled(50, 0.0);
    for (double t = step; t < 600.0; t += step) {
        const QVector<SimTarget> now = source->targetsAt(t);
        for (int i = 0; i < now.size(); ++i) {
            ASSERT_GE(now[i].x, 0.05f);
            ASSERT_LE(now[i].x, 0.95f);
            ASSERT_GE(now[i].y, 0.05f);
            ASSERT_LE(now[i].y, 0.95f);
            const double d = std::hypot(now[i].x - previous[i].x, now[i].y - previous[i].y);
            ASSERT_LT(d, 0.01) << "walker " << i << " jumped at " << t;
            travelled[i] += d;
        }
        previous = now;
    }
    for (int i = 0; i < 50; ++i)
        EXPECT_GT(travelled[i], 5.0) << "walker " << i << " hardly moved in ten minutes";
}

} // namespace
