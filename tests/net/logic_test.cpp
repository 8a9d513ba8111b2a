// Logic against a real TCP server on loopback: reception as the bytes really
// arrive, request pacing on the wire, and the sweep angle.
#include "net/logic.h"
#include "silentserver.h"
#include "testserver.h"
#include "wireblocks.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

class LogicTestAccess
{
public:
    static QTcpSocket &socket(Logic &logic) { return logic.socket; }
};

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
        arrivals =
            std::make_unique<QSignalSpy>(&LogicTestAccess::socket(*logic), SIGNAL(readyRead()));
    }

    // Sends bytes and returns once the client has handled their arrival.
    void deliver(const QByteArray &bytes)
    {
        const int before = arrivals->count();
        server.send(bytes);
        ASSERT_TRUE(QTest::qWaitFor([&] { return arrivals->count() > before; }, waitMs));
    }

    void expectTargets(const QVector<WireRecord> &records)
    {
        ASSERT_EQ(logic->targetCount(), records.size());
        for (int i = 0; i < records.size(); ++i) {
            const Target *t = logic->target(i);
            ASSERT_EQ(t->x, records[i].x) << "record " << i;
            ASSERT_EQ(t->y, records[i].y) << "record " << i;
            ASSERT_EQ(t->value, float(records[i].value)) << "record " << i;
        }
    }

    bool waitForCount(int count)
    {
        return QTest::qWaitFor([&] { return logic->targetCount() == count; }, waitMs);
    }

    TestServer server;
    std::unique_ptr<Logic> logic = std::make_unique<Logic>();
    std::unique_ptr<QSignalSpy> arrivals;
};

TEST_F(ConnectedLogic, sizeFieldArrivingOneByteAtATimeDecodesOnce)
{
    const QVector<WireRecord> records = {{0.25f, 0.75f, 65535}, {1.0f, 0.0f, 0}};
    const QByteArray block = firstBlock(records);
    for (int i = 0; i < block.size() - 1; ++i) {
        deliver(block.mid(i, 1));
        ASSERT_EQ(logic->targetCount(), 0) << "decoded after byte " << i;
    }
    deliver(block.right(1));
    expectTargets(records);
    EXPECT_EQ(logic->target(0)->value, 65535.0f);
}

TEST_F(ConnectedLogic, blockSplitAcrossWritesDecodesWhenComplete)
{
    const QVector<WireRecord> records = distinctRecords(50);
    const QByteArray block = firstBlock(records);
    deliver(block.left(3));
    deliver(block.mid(3, 200));
    EXPECT_EQ(logic->targetCount(), 0);
    deliver(block.mid(203));
    expectTargets(records);
}

TEST_F(ConnectedLogic, twoBlocksInOneArrivalSecondWaitsForMoreData)
{
    const QVector<WireRecord> a = distinctRecords(3);
    const QVector<WireRecord> b = {{0.5f, 0.5f, 77}};
    const QVector<WireRecord> c = {{0.1f, 0.2f, 3}, {0.3f, 0.4f, 5}};
    const QByteArray third = laterBlock(c);
    deliver(firstBlock(a) + laterBlock(b));
    expectTargets(a);
    deliver(third.left(1));
    expectTargets(b);
    deliver(third.mid(1));
    expectTargets(c);
}

TEST_F(ConnectedLogic, laterBlocksCarryTheIgnoredFieldAndCountZeroClears)
{
    const QVector<WireRecord> first = distinctRecords(4);
    deliver(firstBlock(first));
    expectTargets(first);
    // An ignored field equal to a plausible count must not be taken for it.
    const QVector<WireRecord> later = {{0.9f, 0.1f, 65535}};
    deliver(laterBlock(later, 2));
    expectTargets(later);
    EXPECT_EQ(logic->target(0)->value, 65535.0f);
    deliver(laterBlock({}));
    EXPECT_EQ(logic->targetCount(), 0);
    deliver(laterBlock(first, 0xFFFF));
    expectTargets(first);
}

TEST_F(ConnectedLogic, largestWellFormedBlockDecodesExactly)
{
    const QVector<WireRecord> records = distinctRecords(6553);
    server.send(firstBlock(records));
    ASSERT_TRUE(waitForCount(records.size()));
    expectTargets(records);
}

class HostileCountOnSocket : public ConnectedLogic, public ::testing::WithParamInterface<int>
{
};

TEST_P(HostileCountOnSocket, keepsTheTableAndTheNextBlockDecodes)
{
    const QVector<WireRecord> before = distinctRecords(2);
    deliver(firstBlock(before));
    expectTargets(before);

    const QVector<WireRecord> records = distinctRecords(GetParam());
    const QVector<WireRecord> next = {{0.125f, 0.875f, 4242}};
    server.send(rawBlock(false, 0xFFFF, quint16(records.size()), records) + laterBlock(next));
    // The record after the table would land on the count and the members
    // behind the table; the count must stay exactly at the table's size.
    ASSERT_TRUE(waitForCount(Logic::MaxTargets));
    expectTargets(records.mid(0, Logic::MaxTargets));
    // The following block needs one more arrival to be decoded.
    deliver(laterBlock({}).left(1));
    expectTargets(next);
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
    QTcpSocket &socket = LogicTestAccess::socket(*logic);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return socket.state() != QAbstractSocket::ConnectedState; }, waitMs));
    EXPECT_TRUE(logic->advance(0.02)); // not due yet: the loss goes unnoticed
    const double angle = logic->sweepAngle();
    EXPECT_FALSE(logic->advance(0.02));
    EXPECT_FALSE(logic->advance(0.001));
    EXPECT_EQ(logic->sweepAngle(), angle);
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
