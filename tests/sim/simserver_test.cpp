// SPDX-License-Identifier: MIT
// The server in this process, with a client socket on loopback.
#include "sim/patterns.h"
#include "sim/simserver.h"
#include "waituntil.h"

#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

class RecordingSource : public TargetSource
{
public:
    QVector<SimTarget> targetsAt(double seconds) override
    {
        times.push_back(seconds);
        return {{0.25f, 0.75f, quint16(times.size())}};
    }
    QVector<double> times;
};

TEST(SimServer, asksItsSourceOncePerRequestOnAClockThatRuns)
{
    RecordingSource source;
    SimServer server(source);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }));

    client.write("\x02\x02", 2);
    const int twoBlocks = (2 + 2 + 10) + (2 + 4 + 10);
    ASSERT_TRUE(waitUntil([&] { return client.bytesAvailable() >= twoBlocks; }));
    QElapsedTimer pause;
    pause.start();
    ASSERT_TRUE(waitUntil([&] { return pause.elapsed() >= 50; }));
    client.write("\x02", 1);
    ASSERT_TRUE(waitUntil([&] { return client.bytesAvailable() >= twoBlocks + 16; }));

    ASSERT_EQ(source.times.size(), 3);
    EXPECT_GE(source.times[0], 0.0);
    EXPECT_LE(source.times[0], source.times[1]);
    EXPECT_GE(source.times[2] - source.times[1], 0.045);
    // The record of the third answer carries the source's third frame.
    EXPECT_EQ(client.readAll().right(2), QByteArray::fromHex("0003"));
}

TEST(SimServer, countsConnectionsAndForgetsClosedOnes)
{
    auto source = makePatternSource(Pattern::Corners, 5, 1);
    SimServer server(*source);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QTcpSocket a, b;
    a.connectToHost(QHostAddress::LocalHost, server.port());
    b.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 2; }));
    a.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    b.write("\x02", 1);
    ASSERT_TRUE(waitUntil([&] { return b.bytesAvailable() >= 54; }));
    EXPECT_EQ(b.read(4), QByteArray::fromHex("00340005"));
}

TEST(SimServer, aClientThatAsksForMuchAtOnceGetsEveryBlockAsItReads)
{
    auto source = makePatternSource(Pattern::Grid, 6553, 1); // 65 KB per block
    SimServer server(*source);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    constexpr int requests = 600; // many times what the server holds unsent
    client.write(QByteArray(requests, '\x02'));
    const qint64 expected = (2 + 2 + 65530) + qint64(requests - 1) * (2 + 4 + 65530);
    qint64 received = 0;
    EXPECT_TRUE(
        waitUntil([&] { return (received += client.readAll().size()) >= expected; }, 60000));
    EXPECT_EQ(received, expected);
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST(SimServer, dropsAClientThatAsksButNeverReads)
{
    auto source = makePatternSource(Pattern::Grid, 6553, 1); // 65 KB per block
    SimServer server(*source);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QTcpSocket client;
    client.setReadBufferSize(1); // stops reading; the kernel buffers fill up
    client.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    const QByteArray manyRequests(600, '\x02'); // about 39 MB of answers
    client.write(manyRequests);
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }, 20000));
}

} // namespace
