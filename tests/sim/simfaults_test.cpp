// SPDX-License-Identifier: MIT
// The server in this process with its faults switched on, and replaying a
// recording, seen through a client socket on loopback.
#include "sim/patterns.h"
#include "sim/recording.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/simserver.h"
#include "waituntil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int firstBlockBytes = 2 + 2 + 5 * 10; // five corner targets
constexpr int laterBlockBytes = 2 + 4 + 5 * 10;
// The test's clock counts whole milliseconds, so a span may look 1 ms short.
constexpr int roundingMs = 1;

// A client that notes every arrival.
struct Watcher
{
    QTcpSocket socket;
    QByteArray bytes;
    QVector<qint64> arrivalMs; // one per read, on `clock`
    QElapsedTimer clock;
    bool wasConnected = false;

    explicit Watcher(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::connected, [this] { wasConnected = true; });
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            bytes += socket.readAll();
            arrivalMs.push_back(clock.elapsed());
        });
        clock.start();
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool connected()
    {
        return waitUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    bool receive(int n)
    {
        return waitUntil([&] { return bytes.size() >= n; });
    }
    bool closed()
    {
        return waitUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }
    void ask(int requests) { socket.write(QByteArray(requests, '\x02')); }
};

// What a healthy server sends for `blocks` requests of the five corners.
QByteArray healthy(int blocks)
{
    auto source = makePatternSource(Pattern::Corners, 5, 1);
    BlockEncoder encoder;
    QByteArray out;
    for (int i = 0; i < blocks; ++i)
        out += encoder.nextBlock(source->targetsAt(0.0));
    return out;
}

FaultPlan faults(const QStringList &specs)
{
    FaultPlan plan;
    for (const QString &spec : specs)
        EXPECT_TRUE(addFault(plan, spec).isEmpty()) << qPrintable(spec);
    return plan;
}

struct CornerServer
{
    std::unique_ptr<TargetSource> source = makePatternSource(Pattern::Corners, 5, 1);
    SimServer server;
    explicit CornerServer(const FaultPlan &plan) : server(*source, plan)
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
};

TEST(SimFaults, splitWritesSendEveryByteApartButTheSameBlocks)
{
    CornerServer s(faults({"split:2"}));
    Watcher w(s.server.port());
    ASSERT_TRUE(w.connected());
    const qint64 askedMs = w.clock.elapsed();
    w.ask(2);
    ASSERT_TRUE(w.receive(firstBlockBytes + laterBlockBytes));
    EXPECT_EQ(w.bytes, healthy(2));
    // Pauses of 2 ms between the bytes of each block.
    const int pauses = (firstBlockBytes - 1) + (laterBlockBytes - 1);
    EXPECT_GE(w.arrivalMs.last() - askedMs, pauses * 2 - roundingMs);
    EXPECT_GE(w.arrivalMs.size(), 2);
}

TEST(SimFaults, aDelayPausesInTheMiddleOfEachBlockAndLaterRequestsWait)
{
    constexpr int delayMs = 150;
    CornerServer s(faults({QString("delay:%1").arg(delayMs)}));
    Watcher w(s.server.port());
    ASSERT_TRUE(w.connected());
    const qint64 askedMs = w.clock.elapsed();
    w.ask(2);
    ASSERT_TRUE(w.receive(1));
    EXPECT_EQ(w.bytes.size(), firstBlockBytes / 2); // the first half, then the pause
    ASSERT_TRUE(w.receive(firstBlockBytes + laterBlockBytes));
    EXPECT_EQ(w.bytes, healthy(2));
    EXPECT_GE(w.arrivalMs.last() - askedMs, 2 * delayMs - roundingMs);
}

TEST(SimFaults, dropClosesTheConnectionAfterWholeBlocks)
{
    CornerServer s(faults({"drop:2"}));
    Watcher w(s.server.port());
    ASSERT_TRUE(w.connected());
    w.ask(3);
    ASSERT_TRUE(w.closed());
    EXPECT_EQ(w.bytes, healthy(2));
    EXPECT_TRUE(waitUntil([&] { return s.server.connectionCount() == 0; }));

    CornerServer atOnce(faults({"drop:0"}));
    Watcher early(atOnce.server.port());
    ASSERT_TRUE(early.closed());
    EXPECT_TRUE(early.wasConnected);
    EXPECT_TRUE(early.bytes.isEmpty());
}

TEST(SimFaults, badSizeChangesOnlyTheSizeFields)
{
    CornerServer s(faults({"badsize:-3"}));
    Watcher w(s.server.port());
    ASSERT_TRUE(w.connected());
    w.ask(2);
    ASSERT_TRUE(w.receive(firstBlockBytes + laterBlockBytes));
    QByteArray expected = healthy(2);
    expected[1] = char(52 - 3);
    expected[firstBlockBytes + 1] = char(54 - 3);
    EXPECT_EQ(w.bytes, expected);
}

TEST(SimFaults, overcountSendsEveryClaimedRecordAndFaultsCombine)
{
    CornerServer s(faults({"overcount:7000", "drop:1", "delay:20"}));
    Watcher w(s.server.port());
    ASSERT_TRUE(w.connected());
    w.ask(2);
    ASSERT_TRUE(w.closed());
    ASSERT_EQ(w.bytes.size(), 4 + 7000 * 10);
    EXPECT_EQ(w.bytes.mid(2, 2), QByteArray::fromHex("1b58")); // count 7000
    EXPECT_EQ(w.bytes.left(2), QByteArray::fromHex("1172"));   // 70002 - 65536
    EXPECT_EQ(w.bytes.right(10), w.bytes.mid(4 + 4 * 10, 10)); // 6999 % 5 == 4
}

class Replay : public ::testing::Test
{
protected:
    // Blocks at 0, 150 and 300 ms after the connection.
    static constexpr qint64 secondUs = 150000, thirdUs = 300000;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath("session.rec");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        blocks = {QByteArray::fromHex("00020000"), QByteArray::fromHex("000400010000"),
                  QByteArray::fromHex("000400020000")};
        file.write(Recording::header() + Recording::blockRecord(0, blocks[0]) +
                   Recording::blockRecord(secondUs, blocks[1]) +
                   Recording::blockRecord(thirdUs, blocks[2]));
        file.close();
        recording = std::make_shared<RecordingFile>();
        ASSERT_TRUE(recording->load(path)) << qPrintable(recording->error());
    }

    std::unique_ptr<SimServer> server(bool loop, const FaultPlan &plan = {})
    {
        auto s = std::make_unique<SimServer>(
            [this, loop] { return std::make_unique<ReplayReplies>(recording, loop); }, plan);
        EXPECT_TRUE(s->listen(QHostAddress::LocalHost, 0));
        return s;
    }

    QTemporaryDir dir;
    QVector<QByteArray> blocks;
    std::shared_ptr<RecordingFile> recording;
};

TEST_F(Replay, blocksComeInOrderNoEarlierThanRecordedAndThenTheConnectionCloses)
{
    const auto s = server(false);
    Watcher w(s->port()); // its clock starts before the server's connection does
    ASSERT_TRUE(w.connected());
    w.ask(4);
    ASSERT_TRUE(w.closed());
    EXPECT_EQ(w.bytes, blocks[0] + blocks[1] + blocks[2]);
    ASSERT_GE(w.arrivalMs.size(), 2);
    EXPECT_GE(w.arrivalMs.last(), thirdUs / 1000);
    // The second block arrives on its own, no earlier than its time.
    EXPECT_GE(w.arrivalMs[1], secondUs / 1000);
}

TEST_F(Replay, aLoopGoesOnWithTheSecondBlockOnePeriodLater)
{
    const auto s = server(true, faults({"split:0"}));
    Watcher w(s->port());
    ASSERT_TRUE(w.connected());
    w.ask(5);
    const QByteArray expected = blocks[0] + blocks[1] + blocks[2] + blocks[1] + blocks[2];
    ASSERT_TRUE(w.receive(expected.size()));
    EXPECT_EQ(w.bytes, expected);
    EXPECT_GE(w.arrivalMs.last(), (thirdUs + thirdUs) / 1000); // period 300 ms
    EXPECT_EQ(w.socket.state(), QAbstractSocket::ConnectedState);
}

TEST_F(Replay, aLateRequestIsAnsweredAtOnce)
{
    const auto s = server(false);
    Watcher w(s->port());
    ASSERT_TRUE(w.connected());
    QElapsedTimer pause;
    pause.start();
    ASSERT_TRUE(waitUntil([&] { return pause.elapsed() > thirdUs / 1000 + 50; }));
    w.ask(3);
    ASSERT_TRUE(w.receive(blocks[0].size() + blocks[1].size() + blocks[2].size()));
    // All were due already: the times count from the connection, not from
    // the first request. So the server wrote the three blocks at once, with
    // no pause that would let this client read in between, however slow
    // the machine.
    EXPECT_EQ(w.arrivalMs.size(), 1);
}

} // namespace
