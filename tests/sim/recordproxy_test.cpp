// SPDX-License-Identifier: MIT
// The recorder in this process between a client socket and a simulator
// server, both on loopback.
#include "sim/patterns.h"
#include "sim/recording.h"
#include "sim/recordingfile.h"
#include "sim/recordproxy.h"
#include "sim/simserver.h"
#include "waituntil.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Client
{
    QTcpSocket socket;
    QByteArray bytes;

    explicit Client(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { bytes += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool receive(int n)
    {
        return waitUntil([&] { return bytes.size() >= n; });
    }
    bool closed()
    {
        return waitUntil([this] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }
};

class Recorder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(writer.open(dir.filePath("session.rec"))) << qPrintable(writer.error());
    }

    void startUpstream(const FaultPlan &plan = {})
    {
        upstream = std::make_unique<SimServer>(*source, plan);
        ASSERT_TRUE(upstream->listen(QHostAddress::LocalHost, 0));
        proxy = std::make_unique<RecordProxy>("127.0.0.1", upstream->port(), writer);
        ASSERT_TRUE(proxy->listen(QHostAddress::LocalHost, 0));
    }

    RecordingParse recorded()
    {
        QFile file(writer.path());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        fileBytes = bytes;
        return Recording::parse(fileBytes.constData(), fileBytes.size());
    }

    QTemporaryDir dir;
    RecordingWriter writer;
    std::unique_ptr<TargetSource> source = makePatternSource(Pattern::Grid, 3, 1);
    std::unique_ptr<SimServer> upstream;
    std::unique_ptr<RecordProxy> proxy;
    QByteArray fileBytes;
};

constexpr int firstBytes = 2 + 2 + 30, laterBytes = 2 + 4 + 30;

// A loopback port nobody listens on just now; 0 if none could be found.
quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

TEST_F(Recorder, forwardsBothWaysAndRecordsTheFirstClientsBlocks)
{
    startUpstream();
    Client first(proxy->port());
    first.socket.write("\x02\x02");
    ASSERT_TRUE(first.receive(firstBytes + laterBytes));

    // A second client is served through its own upstream connection but not recorded.
    Client second(proxy->port());
    second.socket.write("\x02");
    ASSERT_TRUE(second.receive(firstBytes));
    EXPECT_EQ(second.bytes.left(4), QByteArray::fromHex("00200003"));
    EXPECT_TRUE(waitUntil([&] { return upstream->connectionCount() == 2; }));

    first.socket.write("\x02");
    ASSERT_TRUE(first.receive(firstBytes + 2 * laterBytes));
    first.socket.disconnectFromHost();
    // The client's leaving closes its upstream connection too.
    EXPECT_TRUE(waitUntil([&] { return upstream->connectionCount() == 1; }));
    EXPECT_TRUE(waitUntil([&] { return proxy->connectionCount() == 1; }));

    const RecordingParse p = recorded();
    ASSERT_TRUE(p.error.isEmpty()) << qPrintable(p.error);
    ASSERT_EQ(p.blocks.size(), 3);
    QByteArray joined;
    for (const RecordedBlock &b : p.blocks)
        joined += fileBytes.mid(b.offset, b.length);
    EXPECT_EQ(joined, first.bytes);
    EXPECT_EQ(writer.blocksWritten(), 3);
    EXPECT_GT(p.blocks[0].timeUs, 0);
    EXPECT_LE(p.blocks[1].timeUs, p.blocks[2].timeUs);
}

TEST_F(Recorder, anUpstreamThatHangsUpClosesTheClientAfterItsLastBytes)
{
    FaultPlan dropAfterTwo;
    ASSERT_TRUE(addFault(dropAfterTwo, "drop:2").isEmpty());
    startUpstream(dropAfterTwo);
    Client c(proxy->port());
    c.socket.write("\x02\x02\x02");
    ASSERT_TRUE(c.closed());
    EXPECT_EQ(c.bytes.size(), firstBytes + laterBytes);
    EXPECT_TRUE(waitUntil([&] { return proxy->connectionCount() == 0; }));
    EXPECT_EQ(recorded().blocks.size(), 2);
}

TEST_F(Recorder, anUnreachableUpstreamClosesTheClient)
{
    const quint16 closedPort = freePort();
    ASSERT_NE(closedPort, 0);
    RecordProxy lonely("127.0.0.1", closedPort, writer);
    ASSERT_TRUE(lonely.listen(QHostAddress::LocalHost, 0));
    Client c(lonely.port());
    c.socket.write("\x02");
    ASSERT_TRUE(c.closed());
    EXPECT_TRUE(c.bytes.isEmpty());
    EXPECT_TRUE(waitUntil([&] { return lonely.connectionCount() == 0; }));
    const RecordingParse p = recorded();
    EXPECT_TRUE(p.error.isEmpty());
    EXPECT_TRUE(p.blocks.isEmpty());
}

TEST_F(Recorder, aClientThatDoesNotReadIsDroppedWithItsUpstream)
{
    source = makePatternSource(Pattern::Grid, 6553, 1); // 65 KB per block
    startUpstream();
    QTcpSocket silent;
    silent.setReadBufferSize(1); // stops reading; the system's buffers fill up
    silent.connectToHost(QHostAddress::LocalHost, proxy->port());
    ASSERT_TRUE(waitUntil([&] { return upstream->connectionCount() == 1; }));
    silent.write(QByteArray(600, '\x02')); // about 39 MB of answers
    EXPECT_TRUE(waitUntil([&] { return proxy->connectionCount() == 0; }, 20000));
    EXPECT_TRUE(waitUntil([&] { return upstream->connectionCount() == 0; }));
}

TEST_F(Recorder, aLoopBackToTheRecorderEndsAtItsConnectionLimit)
{
    // Its upstream is its own port: every connection opens the next.
    const quint16 port = freePort();
    RecordProxy loop("127.0.0.1", port, writer);
    ASSERT_TRUE(loop.listen(QHostAddress::LocalHost, port));
    EXPECT_FALSE(loop.refusal().isEmpty());
    Client c(loop.port());
    c.socket.write("\x02");
    int most = 0;
    ASSERT_TRUE(c.closed());
    EXPECT_TRUE(waitUntil([&] {
        most = std::max(most, loop.connectionCount());
        return loop.connectionCount() == 0;
    }));
    EXPECT_LE(most, RecordProxy::maxConnections);
    EXPECT_TRUE(recorded().error.isEmpty());
}

TEST(ReachesListener, tellsTheListeningPortOfThisMachineByAnyOfItsNames)
{
    const QHostAddress any(QHostAddress::Any), loopback(QHostAddress::LocalHost);
    EXPECT_TRUE(reachesListener("127.0.0.1", 4000, loopback, 4000));
    EXPECT_TRUE(reachesListener("localhost", 4000, loopback, 4000));
    EXPECT_FALSE(reachesListener("127.0.0.1", 4001, loopback, 4000));
    // A server bound to one address is not reached through another.
    EXPECT_FALSE(reachesListener("127.0.0.2", 4000, loopback, 4000));
    // One bound to every address is reached through all of this machine's.
    EXPECT_TRUE(reachesListener("127.0.0.2", 4000, any, 4000));
    EXPECT_TRUE(reachesListener("::1", 4000, any, 4000));
    EXPECT_TRUE(reachesListener("0.0.0.0", 4000, QHostAddress(QHostAddress::AnyIPv4), 4000));
    EXPECT_FALSE(reachesListener("::1", 4000, QHostAddress(QHostAddress::AnyIPv4), 4000));
    EXPECT_FALSE(reachesListener("no-such-host.invalid", 4000, any, 4000));
}

TEST(RecordingWriter, refusesAPlaceItCannotWrite)
{
    RecordingWriter writer;
    EXPECT_FALSE(writer.open("/nonexistent-dir/x.rec"));
    EXPECT_TRUE(writer.error().startsWith("/nonexistent-dir/x.rec: cannot write it"));

    RecordingFile file;
    EXPECT_FALSE(file.load("/nonexistent-dir/x.rec"));
    EXPECT_TRUE(file.error().startsWith("/nonexistent-dir/x.rec: cannot read it"));
}

} // namespace
