// SPDX-License-Identifier: MIT
// Logic against a real TCP server on loopback: reception as the bytes really
// arrive, request pacing on the wire, and the sweep angle.
#include "net/logic.h"
#include "net/wireformat.h"
#include "silentserver.h"
#include "testserver.h"
#include "wireblocks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

const int waitMs = 10000;
const int quietMs = 100; // how long "nothing more arrives" is watched

class ConnectedLogic : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        ASSERT_TRUE(logic->connectToServer("127.0.0.1", server.port()));
        ASSERT_TRUE(server.waitForClient());
    }

    // Sends bytes in pieces, each a write of its own, and lets the client
    // take each in before the next when it can (a piece that catches up with
    // the one before only joins it in one arrival).
    void sendInPieces(const QByteArray &bytes, const QVector<int> &cuts)
    {
        int at = 0;
        for (int cut : cuts) {
            server.send(bytes.mid(at, cut - at));
            QCoreApplication::processEvents();
            ASSERT_TRUE(tableHolds({})) << "decoded before the last byte, at byte " << cut;
            at = cut;
        }
        server.send(bytes.mid(at));
    }

    bool tableHolds(const QVector<WireRecord> &records) const
    {
        return ::tableHolds(logic->state(), records);
    }

    // Waits until the table holds exactly these records.
    bool waitForTable(const QVector<WireRecord> &records) const
    {
        return QTest::qWaitFor([&] { return tableHolds(records); }, waitMs);
    }

    TestServer server;
    std::unique_ptr<Logic> logic = std::make_unique<Logic>();
};

TEST_F(ConnectedLogic, blockArrivingOneByteAtATimeDecodesOnceWhole)
{
    const QVector<WireRecord> records = {{0.25f, 0.75f, 65535}, {1.0f, 0.0f, 0}};
    const QByteArray block = firstBlock(records);
    QVector<int> everyByte;
    for (int i = 1; i < block.size(); ++i)
        everyByte.append(i);
    sendInPieces(block, everyByte);
    ASSERT_TRUE(waitForTable(records));
    EXPECT_EQ(logic->target(0)->value, 65535.0f);
    EXPECT_EQ(logic->targetCount(), 2);
}

TEST_F(ConnectedLogic, blockSplitAcrossWritesDecodesWhenComplete)
{
    const QVector<WireRecord> records = distinctRecords(50);
    sendInPieces(firstBlock(records), {3, 203});
    EXPECT_TRUE(waitForTable(records));
}

TEST_F(ConnectedLogic, blocksArrivingTogetherShowTheNewest)
{
    const QVector<WireRecord> a = distinctRecords(3);
    const QVector<WireRecord> b = {{0.5f, 0.5f, 77}};
    const QVector<WireRecord> c = {{0.1f, 0.2f, 3}, {0.3f, 0.4f, 5}};
    // One write: the second block needs no further data to be shown.
    server.send(firstBlock(a) + laterBlock(b));
    ASSERT_TRUE(waitForTable(b));
    // A block with its first byte behind the one before it waits for the rest.
    const QByteArray third = laterBlock(c);
    server.send(laterBlock(a) + third.left(1));
    ASSERT_TRUE(waitForTable(a));
    server.send(third.mid(1));
    EXPECT_TRUE(waitForTable(c));
}

TEST_F(ConnectedLogic, laterBlocksCarryTheIgnoredFieldAndCountZeroClears)
{
    const QVector<WireRecord> first = distinctRecords(4);
    server.send(firstBlock(first));
    ASSERT_TRUE(waitForTable(first));
    // An ignored field equal to a plausible count must not be taken for it.
    const QVector<WireRecord> later = {{0.9f, 0.1f, 65535}};
    server.send(laterBlock(later, 2));
    ASSERT_TRUE(waitForTable(later));
    EXPECT_EQ(logic->target(0)->value, 65535.0f);
    server.send(laterBlock({}));
    ASSERT_TRUE(waitForTable({}));
    server.send(laterBlock(first, 0xFFFF));
    EXPECT_TRUE(waitForTable(first));
}

TEST_F(ConnectedLogic, largestWellFormedBlockDecodesExactly)
{
    const QVector<WireRecord> records = distinctRecords(wire::maxRecordsPerBlock);
    server.send(firstBlock(records));
    EXPECT_TRUE(waitForTable(records));
}

class HostileCountOnSocket : public ConnectedLogic, public ::testing::WithParamInterface<int>
{
};

TEST_P(HostileCountOnSocket, keepsTheTableAndTheNextBlockDecodes)
{
    const QVector<WireRecord> before = distinctRecords(2);
    server.send(firstBlock(before));
    ASSERT_TRUE(waitForTable(before));

    const QVector<WireRecord> records = distinctRecords(GetParam());
    // The record after the table would land on the count and the members
    // behind the table; the count must stay exactly at the table's size.
    server.send(rawBlock(false, 0xFFFF, quint16(records.size()), records));
    ASSERT_TRUE(waitForTable(records.mid(0, Logic::MaxTargets)));
    const QVector<WireRecord> next = {{0.125f, 0.875f, 4242}};
    server.send(laterBlock(next));
    EXPECT_TRUE(waitForTable(next));
}

INSTANTIATE_TEST_SUITE_P(Logic, HostileCountOnSocket, ::testing::Values(10001, 65535));

TEST_F(ConnectedLogic, requestsArePacedAsOneByteOverFortyMilliseconds)
{
    EXPECT_TRUE(logic->advance(0.04)); // equal to the interval: not yet due
    EXPECT_TRUE(logic->advance(0.001));
    ASSERT_TRUE(server.waitForReceived(1));
    QTest::qWait(quietMs);
    EXPECT_EQ(server.received(), QByteArray(1, '\x02'));

    // The surplus 0.001 is dropped: carried over, it would make this due.
    EXPECT_TRUE(logic->advance(0.0395));
    EXPECT_TRUE(logic->advance(0.5)); // one request per tick, however long
    ASSERT_TRUE(server.waitForReceived(2));
    QTest::qWait(quietMs);
    EXPECT_EQ(server.received(), QByteArray(2, '\x02'));
}

TEST_F(ConnectedLogic, lostConnectionIsFoundWhenARequestIsDue)
{
    EXPECT_TRUE(logic->advance(0.01));
    server.dropClient();
    EXPECT_TRUE(logic->advance(0.02)); // not due yet: the connection is not looked at
    // Due requests go out until the client has seen the loss; then one fails.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !logic->advance(0.05); }, waitMs));
    const double angle = logic->sweepAngle();
    EXPECT_FALSE(logic->advance(0.001));
    EXPECT_FALSE(logic->advance(0.02));
    EXPECT_EQ(logic->sweepAngle(), angle);
}

TEST_F(ConnectedLogic, linkRecordFollowsTheRepliesAndCountsTheRequestsSent)
{
    const LinkState &link = logic->link();
    EXPECT_EQ(link.server, "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(link.status, LinkState::Status::waiting); // no reply yet
    EXPECT_FALSE(link.rateMeasured);

    // Counted on the wall clock over intervals of at least a second: the
    // first holds no request; the second begins within the call that ends
    // the first and ends within a call that sends.
    QElapsedTimer beforeSecondInterval;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            beforeSecondInterval.start();
            return logic->advance(0.0) && link.rateMeasured; // 0 s: no request due
        },
        waitMs));
    EXPECT_EQ(link.requestsPerSecond, 0.0);
    int sent = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            ++sent;
            return logic->advance(0.05) && link.requestsPerSecond != 0.0;
        },
        waitMs));
    const double slowest = sent * 1000.0 / double(beforeSecondInterval.elapsed());
    EXPECT_LE(link.requestsPerSecond, sent);
    EXPECT_GE(link.requestsPerSecond, slowest);
    ASSERT_TRUE(server.waitForReceived(sent));

    server.send(firstBlock(distinctRecords(1)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return logic->targetCount() == 1; }, waitMs));
    EXPECT_EQ(link.status, LinkState::Status::connected);
    // Replies that stay away longer than the limit leave the link waiting.
    ASSERT_TRUE(logic->advance(LinkState::replyStaleSeconds));
    EXPECT_EQ(link.status, LinkState::Status::connected);
    ASSERT_TRUE(logic->advance(0.01));
    EXPECT_EQ(link.status, LinkState::Status::waiting);
    server.send(laterBlock(distinctRecords(2)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return logic->targetCount() == 2; }, waitMs));
    EXPECT_EQ(link.status, LinkState::Status::connected);

    // Lost, the link waits for good and nothing more goes out.
    server.dropClient();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !logic->advance(0.05); }, waitMs));
    EXPECT_EQ(link.status, LinkState::Status::waiting);
    EXPECT_TRUE(link.rateMeasured);
    EXPECT_EQ(link.requestsPerSecond, 0.0);
}

TEST_F(ConnectedLogic, sweepTurnsEightyDegreesPerSecondAndFoldsIntoAFullTurn)
{
    EXPECT_TRUE(logic->advance(4.5));
    EXPECT_EQ(logic->sweepAngle(), 360.0); // a full turn is not folded to 0
    EXPECT_TRUE(logic->advance(0.125));
    EXPECT_EQ(logic->sweepAngle(), 10.0);
    EXPECT_TRUE(logic->advance(-0.25));
    EXPECT_EQ(logic->sweepAngle(), 350.0);
    EXPECT_TRUE(logic->advance(-9.0)); // -370 degrees
    EXPECT_EQ(logic->sweepAngle(), 350.0);
    EXPECT_TRUE(logic->advance(0.125));
    EXPECT_EQ(logic->sweepAngle(), 360.0);
    EXPECT_TRUE(logic->advance(9.0)); // 1080 degrees
    EXPECT_EQ(logic->sweepAngle(), 360.0);
    EXPECT_TRUE(logic->advance(-9.0)); // -360 degrees
    EXPECT_EQ(logic->sweepAngle(), 0.0);
    EXPECT_TRUE(logic->advance(4.50625));
    EXPECT_DOUBLE_EQ(logic->sweepAngle(), 0.5);
}

TEST_F(ConnectedLogic, hugeElapsedTimeFoldsWithoutHanging)
{
    EXPECT_TRUE(logic->advance(1.0e15));
    const double angle = logic->sweepAngle();
    EXPECT_GE(angle, 0.0);
    EXPECT_LE(angle, 360.0);
}

TEST(UnconnectedLogic, advanceFailsForGoodOnceARequestIsDue)
{
    auto logic = std::make_unique<Logic>();
    EXPECT_TRUE(logic->advance(0.02));
    EXPECT_TRUE(logic->advance(0.02)); // 0.04 in all: not more than the interval
    EXPECT_DOUBLE_EQ(logic->sweepAngle(), 3.2);
    EXPECT_FALSE(logic->advance(0.001));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(logic->advance(0.02));
    EXPECT_DOUBLE_EQ(logic->sweepAngle(), 3.2);
    EXPECT_EQ(logic->targetCount(), 0);
}

TEST(UnconnectedLogic, connectingWhereNobodyListensFails)
{
    TestServer gone;
    const quint16 port = gone.port();
    gone.close();
    auto logic = std::make_unique<Logic>();
    EXPECT_FALSE(logic->connectToServer("127.0.0.1", port));
    EXPECT_FALSE(logic->advance(0.05));
}

TEST(UnconnectedLogic, connectingToAServerThatNeverAnswersGivesUpAfterOneSecond)
{
    SilentServer silent;
    ASSERT_TRUE(silent.isReady());
    auto logic = std::make_unique<Logic>();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(logic->connectToServer("127.0.0.1", silent.port()));
    EXPECT_GE(clock.elapsed(), 950);
    EXPECT_LT(clock.elapsed(), 5000); // far below the toolkit's own 30 s default
}

} // namespace
