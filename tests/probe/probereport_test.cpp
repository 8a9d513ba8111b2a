// SPDX-License-Identifier: MIT
#include "probe/probechecker.h"
#include "probe/probereport.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

TEST(ProbeReport, percentilesTakeTheNearestRank)
{
    EXPECT_EQ(percentile({}, 50), 0);
    EXPECT_EQ(percentile({7}, 99), 7);
    QVector<qint64> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(i);
    EXPECT_EQ(percentile(hundred, 50), 50);
    EXPECT_EQ(percentile(hundred, 99), 99);
    EXPECT_EQ(percentile(hundred, 100), 100);
    EXPECT_EQ(percentile({1, 2, 3, 1000}, 50), 2);
    EXPECT_EQ(percentile({1, 2, 3, 1000}, 99), 1000);
}

const ProbeRunInfo run{"127.0.0.1:3333", 2.5, 40, 200, false};

TEST(ProbeReport, aPassingRunShowsItsFigures)
{
    ProbeChecker c;
    // Two blocks: the first with one target, the second with none.
    const QByteArray b1 = QByteArray::fromHex("000c0001"
                                              "3f000000"
                                              "3f000000"
                                              "0001");
    const QByteArray b2 = QByteArray::fromHex("0004"
                                              "0001"
                                              "0000");
    c.requestSent(0);
    c.bytesArrived(b1.constData(), b1.size(), 1500);
    c.requestSent(40000);
    c.bytesArrived(b2.constData(), b2.size(), 42500);
    c.finish(50000);
    EXPECT_EQ(probeReport(run, c),
              "radarprobe: 127.0.0.1:3333 for 2.5 s, a request every 40 ms, latency limit 200 ms\n"
              "requests: 2, blocks: 2, bytes: 20\n"
              "targets per block: min 0, avg 0.5, max 1\n"
              "pieces per block: min 1, avg 1.0, max 1\n"
              "latency: p50 1.5 ms, p99 2.5 ms, max 2.5 ms\n"
              "violations: none\n"
              "result: pass\n");
}

TEST(ProbeReport, aFailingRunListsEveryViolationWithItsOffset)
{
    ProbeChecker c;
    const QByteArray bad = QByteArray::fromHex("000e0001"
                                               "3f000000"
                                               "3f000000"
                                               "0001");
    for (char byte : bad)
        c.bytesArrived(&byte, 1, 0);
    c.finish(0);
    const QString report = probeReport({"[::1]:9", 1, 40, 200, true}, c);
    EXPECT_TRUE(report.startsWith("radarprobe: [::1]:9 for 1 s, a request every 40 ms, latency "
                                  "limit 200 ms, coordinates outside [0, 1] allowed\n"))
        << qPrintable(report);
    EXPECT_TRUE(report.contains("latency: no replies\n"));
    EXPECT_TRUE(report.contains("note: 1 of 1 blocks arrived in small pieces (down to 1 bytes), "
                                "the first at byte 0 (block 1)"))
        << qPrintable(report);
    EXPECT_TRUE(report.endsWith("violations: 2\n"
                                "  at byte 0: block 1: size field 14, but 1 records in the first "
                                "layout need 2 + 10 x 1 = 12\n"
                                "  at byte 0: block 1 came without a request waiting for it\n"
                                "result: FAIL\n"))
        << qPrintable(report);
}

TEST(ProbeReport, aSilentServerAndAnOverflowingListAreSaidSo)
{
    ProbeChecker silent;
    silent.requestSent(0);
    silent.finish(5000000);
    const QString quiet = probeReport(run, silent);
    EXPECT_TRUE(quiet.contains("requests: 1, blocks: 0, bytes: 0\ntargets per block: no blocks\n"))
        << qPrintable(quiet);
    EXPECT_TRUE(
        quiet.contains("  at byte 0: a request sent 5000.0 ms before the end got no reply"));

    ProbeChecker flood;
    QByteArray stream = QByteArray::fromHex("00020000");
    for (int i = 0; i < ProbeChecker::maxListedViolations + 4; ++i)
        stream += QByteArray::fromHex("000400000000");
    flood.bytesArrived(stream.constData(), stream.size(), 0);
    EXPECT_TRUE(probeReport(run, flood).endsWith("  (and 5 more, not listed)\nresult: FAIL\n"));
}

} // namespace
