// SPDX-License-Identifier: MIT
// Logic against a server that misbehaves: it floods the client with blocks
// it never asked for, stalls in the middle of a block, or sends garbage and
// size fields that lie. Ticks run as in the client, every 20 ms. The client
// must keep its buffer bounded, never write past its table, and keep
// running.
#include "faultserver.h"
#include "net/logic.h"
#include "net/wireformat.h"
#include "wireblocks.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

namespace {

const int waitMs = 20000; // generous: sanitizer builds on a loaded machine
const int tickIntervalMs = 20;
const double msPerSecond = 1000.0;
const int pollMs = 5;
const double secondsPerRequest = 0.05; // above the client's pacing: a request is due

// Runs the event loop without pause, as the client's own does, until done
// holds or the time is up. (QTest::qWaitFor sleeps between its passes,
// which would hold back a client taking in a flood.)
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    poll.start(pollMs);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// Drives advance() from a timer with the measured elapsed time, like the
// window's tick, and counts the ticks. After each tick it runs the checks it
// was given on what the view would draw then.
class Ticker
{
public:
    explicit Ticker(Logic &logic, std::function<void()> afterTick = {})
        : logic(logic), afterTick(std::move(afterTick))
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
        clock.start();
        timer.start(tickIntervalMs);
    }

    int ticks() const { return count; }
    bool allAdvanced() const { return !failed; }

private:
    void tick()
    {
        ++count;
        failed |= !this->logic.advance(double(clock.restart()) / msPerSecond);
        if (afterTick)
            afterTick();
    }

    Logic &logic;
    std::function<void()> afterTick;
    QTimer timer;
    QElapsedTimer clock;
    int count = 0;
    bool failed = false;
};

class LogicAgainstFaultServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isListening());
        ASSERT_TRUE(logic->connectToServer("127.0.0.1", server.port()));
        ASSERT_TRUE(server.waitForClient());
    }

    // Checks made on every tick, on what the view would draw.
    void checkCount()
    {
        const int count = logic->targetCount();
        if (count < 0 || count > Logic::MaxTargets)
            badCounts.append(count);
    }

    bool tableHolds(const QVector<WireRecord> &records) const
    {
        return ::tableHolds(logic->state(), records);
    }

    void expectOnlyRequestBytes()
    {
        const QByteArray sent = server.received();
        EXPECT_EQ(sent.count(wire::requestByte), sent.size()) << "the client sent other bytes";
    }

    FaultServer server;
    std::unique_ptr<Logic> logic = std::make_unique<Logic>();
    QVector<int> badCounts;
};

TEST_F(LogicAgainstFaultServer, floodOfUnaskedBlocksIsTakenInWholeAndTheNewestShown)
{
    const QVector<WireRecord> records = distinctRecords(100);
    const QByteArray block = laterBlock(records);
    server.send(firstBlock(records));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tableHolds(records); }, waitMs));

    // Every block of the flood is the same, so a client out of step, or one
    // that decoded a block before all of it was in, shows other records.
    int decodedWrong = 0;
    bool flooding = true;
    Ticker ticker(*logic, [&] {
        checkCount();
        decodedWrong += flooding && !tableHolds(records);
    });
    server.startFlood(block);
    // The client must keep taking the flood in, far past what its buffers
    // and the kernel's hold, rather than stall once a buffer is full; and it
    // must go on asking meanwhile.
    const qint64 floodTarget = 16 * Logic::readBufferBytes;
    const bool flooded = runUntil(
        [&] { return server.floodBytes() >= floodTarget && server.receivedCount() > 0; }, waitMs);
    server.stopFlood();
    EXPECT_TRUE(flooded) << "flooded " << server.floodBytes() << " bytes with "
                         << server.receivedCount() << " requests";
    // The flood ends on a whole block; the block after it is shown only once
    // every byte before it has been taken in.
    const QVector<WireRecord> after = {{0.125f, 0.875f, 4242}};
    flooding = false;
    server.send(laterBlock(after));
    EXPECT_TRUE(runUntil([&] { return tableHolds(after); }, waitMs))
        << "the client did not take in the whole flood";

    EXPECT_EQ(decodedWrong, 0);
    EXPECT_TRUE(badCounts.isEmpty());
    EXPECT_TRUE(ticker.allAdvanced());
    expectOnlyRequestBytes();
}

TEST_F(LogicAgainstFaultServer, blockStalledForSecondsIsDecodedOnceComplete)
{
    const int stallMs = 3000;
    const QVector<WireRecord> before = distinctRecords(3);
    const QVector<WireRecord> stalled = distinctRecords(500);
    const QVector<WireRecord> after = {{0.125f, 0.875f, 4242}};
    server.send(firstBlock(before));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tableHolds(before); }, waitMs));

    Ticker ticker(*logic, [&] { checkCount(); });
    const QByteArray block = laterBlock(stalled);
    const int cut = block.size() / 2;
    server.send(block.left(cut));
    ASSERT_TRUE(server.waitForSent());
    const int requestsBefore = server.receivedCount();
    const int ticksBefore = ticker.ticks();
    QTest::qWait(stallMs);
    // The client kept ticking and asking, at most once a tick, and shows
    // the last complete block.
    const int requests = server.receivedCount() - requestsBefore;
    EXPECT_GT(requests, 0);
    EXPECT_LE(requests, ticker.ticks() - ticksBefore + 1);
    EXPECT_TRUE(tableHolds(before));

    server.send(block.mid(cut));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tableHolds(stalled); }, waitMs));
    // Decoded once: the next block follows in step.
    server.send(laterBlock(after));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tableHolds(after); }, waitMs));
    EXPECT_TRUE(ticker.allAdvanced());
    EXPECT_TRUE(badCounts.isEmpty());
    expectOnlyRequestBytes();
}

// Hostile streams. The client may fall out of step for good (the size field
// is never used to skip), but it must never hold more than its table, must
// keep its other members intact and keep running.
struct HostileStream
{
    const char *name;
    QByteArray (*bytes)();
    // For a stream that stays in step: the records of its last block.
    QVector<WireRecord> (*lastBlock)();
};

QByteArray randomBytes()
{
    const int length = 2 << 20;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray out(length, '\0');
    for (char &c : out)
        c = char(byte(random));
    return out;
}

QByteArray sizeFieldsThatLieHigh()
{
    // Each block claims the largest size but is short: the client waits
    // for bytes that belong to the following blocks.
    QByteArray out = firstBlock(distinctRecords(2));
    for (int i = 0; i < 64; ++i)
        out += rawBlock(false, 0xFFFF, 3, distinctRecords(3));
    return out;
}

QByteArray sizeFieldsThatLieLow()
{
    // Size 2 with a count of the largest well-formed block and no records.
    QByteArray out = rawBlock(true, 2, 6553, {});
    for (int i = 0; i < 64; ++i)
        out += rawBlock(false, 4, 6553, {}) + laterBlock(distinctRecords(i));
    return out;
}

const int largestCount = 0xFFFF;

QVector<WireRecord> recordsAfterTheLargestCount()
{
    return distinctRecords(7);
}

QByteArray largestCountWithAllRecords()
{
    // A count of 65535 - beyond the table - with every one of its records:
    // the client must buffer all of it to consume it and stay in step.
    const QVector<WireRecord> records = distinctRecords(largestCount);
    return firstBlock({}) + rawBlock(false, 0xFFFF, largestCount, records) +
           laterBlock(recordsAfterTheLargestCount());
}

QByteArray mixture()
{
    return sizeFieldsThatLieLow() + randomBytes().left(100000) + largestCountWithAllRecords() +
           sizeFieldsThatLieHigh();
}

void PrintTo(const HostileStream &stream, std::ostream *out)
{
    *out << stream.name;
}

class HostileStreams : public LogicAgainstFaultServer,
                       public ::testing::WithParamInterface<HostileStream>
{
};

TEST_P(HostileStreams, neverHoldMoreThanTheTableAndTheClientKeepsRunning)
{
    Ticker ticker(*logic, [&] { checkCount(); });
    const QByteArray stream = GetParam().bytes();
    // In pieces of varying size, so blocks are cut everywhere.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> piece(1, 8192);
    for (int at = 0; at < stream.size();) {
        const int length = piece(random);
        server.send(stream.mid(at, length));
        at += length;
    }
    ASSERT_TRUE(server.waitForSent(waitMs));
    // Let the client take in what is buffered and tick on for a while.
    const int requestsBefore = server.receivedCount();
    const int settleMs = 500;
    QTest::qWait(settleMs);
    EXPECT_TRUE(server.waitForReceived(requestsBefore + 3)) << "the client stopped asking";
    if (GetParam().lastBlock) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return tableHolds(GetParam().lastBlock()); }, waitMs))
            << "the stream did not stay in step";
    }

    EXPECT_TRUE(badCounts.isEmpty()) << "count " << badCounts.value(0);
    EXPECT_GE(logic->targetCount(), 0);
    EXPECT_LE(logic->targetCount(), Logic::MaxTargets);
    EXPECT_TRUE(ticker.allAdvanced());
    EXPECT_TRUE(logic->advance(secondsPerRequest)) << "the connection was lost";
    EXPECT_GE(logic->sweepAngle(), 0.0);
    EXPECT_LE(logic->sweepAngle(), 360.0);
    expectOnlyRequestBytes();
}

INSTANTIATE_TEST_SUITE_P(
    Logic, HostileStreams,
    ::testing::Values(HostileStream{"randomBytes", randomBytes, nullptr},
                      HostileStream{"sizeFieldsThatLieHigh", sizeFieldsThatLieHigh, nullptr},
                      HostileStream{"sizeFieldsThatLieLow", sizeFieldsThatLieLow, nullptr},
                      HostileStream{"largestCountWithAllRecords", largestCountWithAllRecords,
                                    recordsAfterTheLargestCount},
                      HostileStream{"mixture", mixture, nullptr}),
    [](const ::testing::TestParamInfo<HostileStream> &info) { return info.param.name; });

} // namespace
