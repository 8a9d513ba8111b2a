// SPDX-License-Identifier: MIT
#include "probe/probechecker.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct Rec
{
    float x, y;
    quint16 value;
};

void putU16(QByteArray &out, quint16 v)
{
    char b[2];
    qToBigEndian(v, b);
    out.append(b, 2);
}

void putF32(QByteArray &out, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    char b[4];
    qToBigEndian(bits, b);
    out.append(b, 4);
}

// A block as a server sends it, written here by hand so the probe is not
// checked against the simulator's own encoder. `sizeDelta` spoils the size
// field; `count` (when >= 0) claims a count other than the records given.
QByteArray wireBlock(bool first, const QVector<Rec> &records, int sizeDelta = 0, int count = -1)
{
    const int claimed = count >= 0 ? count : int(records.size());
    QByteArray out;
    putU16(out, quint16((first ? 2 : 4) + 10 * claimed + sizeDelta));
    if (!first)
        putU16(out, 0x5a5a); // the field the client ignores
    putU16(out, quint16(claimed));
    for (const Rec &r : records) {
        putF32(out, r.x);
        putF32(out, r.y);
        putU16(out, r.value);
    }
    return out;
}

QVector<Rec> fine(int n)
{
    QVector<Rec> out;
    for (int i = 0; i < n; ++i)
        out.push_back({float(i % 10) / 10.0f, 1.0f - float(i % 7) / 7.0f, quint16(i)});
    return out;
}

void feed(ProbeChecker &c, const QByteArray &bytes, qint64 atUs = 0)
{
    c.bytesArrived(bytes.constData(), bytes.size(), atUs);
}

TEST(ProbeChecker, aHealthyStreamPassesHoweverItIsCut)
{
    const QByteArray b1 = wireBlock(true, fine(2));
    const QByteArray b2 = wireBlock(false, {});
    const QByteArray b3 = wireBlock(false, fine(3));
    const QByteArray stream = b1 + b2 + b3;
    for (int step = 1; step <= stream.size(); ++step) {
        ProbeChecker c;
        for (int i = 0; i < 3; ++i)
            c.requestSent(0);
        for (int at = 0; at < stream.size(); at += step)
            c.bytesArrived(stream.constData() + at, std::min<int>(step, stream.size() - at), 1000);
        c.finish(2000);
        EXPECT_TRUE(c.passed()) << step << ": " << qPrintable(c.violations().value(0).message);
        const ProbeStats &s = c.stats();
        EXPECT_EQ(s.blocks, 3) << step;
        EXPECT_EQ(s.bytes, stream.size());
        EXPECT_EQ(s.minTargets, 0);
        EXPECT_EQ(s.maxTargets, 3);
        EXPECT_EQ(s.totalTargets, 5);
        EXPECT_EQ(s.latenciesUs, (QVector<qint64>{1000, 1000, 1000}));
    }
}

TEST(ProbeChecker, wrongSizeFieldsAreReportedAndTheStreamStaysInStep)
{
    ProbeChecker c;
    // The classic mix-up: the first block sized like a later one.
    const QByteArray b1 = wireBlock(true, fine(2), +2);
    const QByteArray b2 = wireBlock(false, fine(1), -3);
    const QByteArray b3 = wireBlock(false, fine(4));
    for (int i = 0; i < 3; ++i)
        c.requestSent(0);
    feed(c, b1 + b2 + b3);
    c.finish(0);
    ASSERT_EQ(c.violationCount(), 2);
    EXPECT_EQ(c.violations()[0].offset, 0);
    EXPECT_EQ(c.violations()[0].message,
              "block 1: size field 24, but 2 records in the first layout need 2 + 10 x 2 = 22");
    EXPECT_EQ(c.violations()[1].offset, b1.size());
    EXPECT_EQ(c.violations()[1].message,
              "block 2: size field 11, but 1 records in the later layout need 4 + 10 x 1 = 14");
    EXPECT_EQ(c.stats().blocks, 3);
    EXPECT_EQ(c.stats().maxTargets, 4);
}

TEST(ProbeChecker, countsAboveWhatASizeFieldDescribesAreReportedAtTheCountField)
{
    ProbeChecker c;
    const QByteArray b1 = wireBlock(true, fine(6553)); // the largest well-formed block
    const QByteArray b2 = wireBlock(false, fine(6554));
    const QByteArray b3 = wireBlock(false, fine(10001));
    for (int i = 0; i < 3; ++i)
        c.requestSent(0);
    feed(c, b1 + b2 + b3);
    ASSERT_EQ(c.violationCount(), 4);
    EXPECT_EQ(c.violations()[1].offset, b1.size() + 4);
    EXPECT_EQ(c.violations()[1].message,
              "block 2: count 6554 is above 6553, the most a 16-bit size field can describe");
    EXPECT_TRUE(c.violations()[0].message.endsWith("= 65544, more than 16 bits hold"));
    EXPECT_EQ(c.violations()[3].offset, b1.size() + b2.size() + 4);
    EXPECT_TRUE(c.violations()[3].message.endsWith("(and above the client's table of 10000)"));
    EXPECT_EQ(c.stats().blocks, 3);
}

TEST(ProbeChecker, badCoordinatesAreReportedOncePerBlockAtTheFirstBadOne)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const QVector<Rec> records{
        {0.5f, 0.5f, 1}, {0.5f, inf, 2}, {nan, 0.5f, 3}, {1.5f, 0.5f, 4}, {-0.0f, 1.0f, 5}};
    const QByteArray block = wireBlock(true, records);

    ProbeChecker strict;
    strict.requestSent(0);
    feed(strict, block);
    ASSERT_EQ(strict.violationCount(), 1);
    EXPECT_EQ(strict.violations()[0].offset, 4 + 10 + 4); // y of record 2
    EXPECT_EQ(strict.violations()[0].message,
              "block 1, record 2: y is infinite (and 2 more records with bad coordinates)");

    ProbeChecker lenient({ProbeLimits::defaultMaxLatencyUs, true});
    lenient.requestSent(0);
    feed(lenient, block);
    ASSERT_EQ(lenient.violationCount(), 1);
    EXPECT_TRUE(
        lenient.violations()[0].message.endsWith("(and 1 more records with bad coordinates)"));

    ProbeChecker outside;
    outside.requestSent(0);
    feed(outside, wireBlock(true, {{0.25f, -0.5f, 1}}));
    ASSERT_EQ(outside.violationCount(), 1);
    EXPECT_EQ(outside.violations()[0].message, "block 1, record 1: y -0.5 is outside [0, 1]");
}

TEST(ProbeChecker, aBlockWithoutARequestIsAViolation)
{
    ProbeChecker c;
    feed(c, wireBlock(true, fine(1)));
    c.requestSent(10);
    const QByteArray second = wireBlock(false, fine(1));
    feed(c, second, 20);
    ASSERT_EQ(c.violationCount(), 1);
    EXPECT_EQ(c.violations()[0].offset, 0);
    EXPECT_EQ(c.violations()[0].message, "block 1 came without a request waiting for it");
    // The second block answered the request, not the first.
    EXPECT_EQ(c.stats().latenciesUs, QVector<qint64>{10});
    EXPECT_FALSE(c.awaitingReply());
}

TEST(ProbeChecker, repliesLaterThanTheLimitAreViolations)
{
    ProbeChecker c({200000, false});
    c.requestSent(1000000);
    EXPECT_TRUE(c.awaitingReply());
    EXPECT_EQ(c.oldestRequestUs(), 1000000);
    const QByteArray b1 = wireBlock(true, fine(1));
    feed(c, b1, 1200000); // exactly at the limit: fine
    c.requestSent(1300000);
    feed(c, wireBlock(false, fine(1)), 1550500);
    ASSERT_EQ(c.violationCount(), 1);
    EXPECT_EQ(c.violations()[0].offset, b1.size());
    EXPECT_EQ(c.violations()[0].message,
              "block 2: reply took 250.5 ms, above the limit of 200.0 ms");
    EXPECT_EQ(c.stats().latenciesUs, (QVector<qint64>{200000, 250500}));
}

TEST(ProbeChecker, theEndReportsUnansweredRequestsAndCutOffBlocks)
{
    ProbeChecker c;
    c.requestSent(0);
    c.requestSent(100);
    const QByteArray b1 = wireBlock(true, fine(1));
    feed(c, b1 + wireBlock(false, fine(1)).left(3), 50);
    c.finish(20100);
    ASSERT_EQ(c.violationCount(), 2);
    EXPECT_EQ(c.violations()[0].offset, b1.size());
    EXPECT_EQ(c.violations()[0].message, "block 2 is cut off: 3 bytes arrived");
    EXPECT_EQ(c.violations()[1].offset, b1.size() + 3);
    EXPECT_EQ(c.violations()[1].message, "a request sent 20.0 ms before the end got no reply");

    ProbeChecker header;
    header.requestSent(0);
    feed(header, wireBlock(true, fine(2)).left(6));
    header.finish(1);
    EXPECT_EQ(header.violations()[0].message,
              "block 1 is cut off: 6 bytes arrived of the 24 its count needs");
    // Nothing counts after the end.
    feed(header, wireBlock(true, fine(2)).mid(6));
    EXPECT_EQ(header.stats().blocks, 0);
}

TEST(ProbeChecker, aServerThatHangsUpIsAViolation)
{
    ProbeChecker c;
    c.requestSent(0);
    const QByteArray b1 = wireBlock(true, fine(1));
    feed(c, b1);
    c.serverClosed();
    c.finish(0);
    ASSERT_EQ(c.violationCount(), 1);
    EXPECT_EQ(c.violations()[0].offset, b1.size());
    EXPECT_EQ(c.violations()[0].message, "the server closed the connection after 1 blocks");
}

TEST(ProbeChecker, smallPiecesInsideABlockAreNotedNotCounted)
{
    ProbeChecker split;
    split.requestSent(0);
    const QByteArray block = wireBlock(true, fine(3));
    for (char byte : block)
        split.bytesArrived(&byte, 1, 0);
    split.finish(0);
    EXPECT_TRUE(split.passed());
    EXPECT_EQ(split.stats().minPieces, block.size());
    EXPECT_EQ(split.stats().smallPieceBlocks, 1);
    EXPECT_EQ(split.stats().smallestPiece, 1);
    EXPECT_EQ(split.stats().firstSmallPieceBlock, 1);

    // Network-sized pieces of a big block, and two blocks in one arrival.
    ProbeChecker big;
    for (int i = 0; i < 3; ++i)
        big.requestSent(0);
    const QByteArray b1 = wireBlock(true, fine(6553));
    feed(big, b1.left(1448));
    feed(big, b1.mid(1448));
    feed(big, wireBlock(false, fine(2)) + wireBlock(false, fine(3)));
    EXPECT_TRUE(big.passed());
    EXPECT_EQ(big.stats().smallPieceBlocks, 0);
    EXPECT_EQ(big.stats().maxPieces, 2);
    EXPECT_EQ(big.stats().minPieces, 1);
    EXPECT_EQ(big.stats().totalPieces, 4);
}

TEST(ProbeChecker, violationsPastTheListAreCountedOnly)
{
    ProbeChecker c;
    QByteArray stream = wireBlock(true, {});
    for (int i = 1; i < ProbeChecker::maxListedViolations + 200; ++i)
        stream += wireBlock(false, {});
    feed(c, stream);
    // Not one of them was asked for.
    EXPECT_EQ(c.violationCount(), ProbeChecker::maxListedViolations + 200);
    EXPECT_EQ(c.violations().size(), ProbeChecker::maxListedViolations);
    EXPECT_FALSE(c.passed());
}

} // namespace
