// SPDX-License-Identifier: MIT
// The TUIO bridge in this process: real OSC bundles made with liblo go over
// UDP on loopback (IPv4 and IPv6) to the bridge, and the blocks its server
// serves are read from a TCP socket and decoded as the client decodes them.
// The bridge's clock is the test's, so silences take no waiting.
#include "net/blockreceiver.h"
#include "net/radarstate.h"
#include "sim/simserver.h"
#include "sim/tuiobridge.h"
#include "tuioframe.h"
#include "waituntil.h"

#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>

namespace {

// The served targets as (value, x, y), for comparisons that ignore order.
using Served = std::multiset<std::tuple<int, float, float>>;

class TuioBridgeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bridge.listen(QHostAddress::Any, 0)) << qPrintable(bridge.errorString());
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        client.connectToHost(QHostAddress::LocalHost, server.port());
        ASSERT_TRUE(waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; }));
        ASSERT_TRUE(ipv4.bind(QHostAddress(QHostAddress::LocalHost), 0));
        ASSERT_TRUE(ipv6.bind(QHostAddress(QHostAddress::LocalHostIPv6), 0));
    }

    // Sends the frame's bundle from `from` and waits until the bridge has it.
    void send(QUdpSocket &from, const TuioFrame &frame)
    {
        const qint64 before = bridge.packets();
        const QHostAddress to = from.localAddress().protocol() == QAbstractSocket::IPv6Protocol
                                    ? QHostAddress::LocalHostIPv6
                                    : QHostAddress::LocalHost;
        ASSERT_GT(from.writeDatagram(tuioBundle(frame), to, bridge.port()), 0);
        ASSERT_TRUE(waitUntil([&] { return bridge.packets() > before; }));
    }

    // Requests one block and decodes it.
    Served block()
    {
        client.write(&wire::requestByte, 1);
        int count = -1;
        const bool decoded = waitUntil(
            [&] { return receiver.receive(client, state->targets, state->capacity, &count); });
        Served served;
        EXPECT_TRUE(decoded);
        for (int i = 0; decoded && i < count; ++i)
            served.emplace(int(state->targets[i].value), state->targets[i].x, state->targets[i].y);
        return served;
    }

    qint64 nowMs = 0;
    QStringList log;
    TuioBridge bridge{TuioTracker::Settings{}, [this](const QString &line) { log << line; },
                      [this] { return nowMs; }};
    SimServer server{bridge};
    QTcpSocket client;
    BlockReceiver receiver;
    std::unique_ptr<RadarState> state = std::make_unique<RadarState>();
    QUdpSocket ipv4, ipv6;
};

TEST_F(TuioBridgeTest, aliveSessionsAreTargetsAndLateFramesChangeNothing)
{
    // A cursor, a session id beyond 16 bits and a tagged object.
    send(ipv4, {"/tuio/2Dcur", {}, {7, 70001}, {{7, 0.25f, 0.75f}, {70001, 0.5f, 0.125f}}, 10});
    send(ipv4, {"/tuio/2Dobj", {}, {3}, {{3, 0.875f, 0.5f, 12}}, 10});
    EXPECT_EQ(block(),
              (Served{{7, 0.25f, 0.75f}, {70001 % 65536, 0.5f, 0.125f}, {3, 0.875f, 0.5f}}));

    // 70001 leaves the cursors' alive list; 7 keeps its place without a set.
    send(ipv4, {"/tuio/2Dcur", {}, {7}, {}, 11});
    EXPECT_EQ(block(), (Served{{7, 0.25f, 0.75f}, {3, 0.875f, 0.5f}}));

    // A frame that comes after a newer one, and a repeated one, change nothing.
    send(ipv4, {"/tuio/2Dcur", {}, {7}, {{7, 0.5f, 0.5f}}, 13});
    send(ipv4, {"/tuio/2Dcur", {}, {}, {}, 12});
    send(ipv4, {"/tuio/2Dcur", {}, {7}, {{7, 0.0f, 0.0f}}, 13});
    EXPECT_EQ(block(), (Served{{7, 0.5f, 0.5f}, {3, 0.875f, 0.5f}}));
    EXPECT_EQ(bridge.tracker().counts().late, 2);
}

TEST_F(TuioBridgeTest, sourcesAreKeptApartAndASilentOneIsDropped)
{
    // Two named sources share one IPv4 sender, a third sends over IPv6
    // without a name; all use session 1 and number their frames their own way.
    send(ipv4, {"/tuio/2Dcur", "left@a", {1}, {{1, 0.125f, 0.5f}}, 500});
    send(ipv4, {"/tuio/2Dcur", "right@a", {1, 2}, {{1, 0.875f, 0.5f}, {2, 0.875f, 0.25f}}, 3});
    send(ipv6, {"/tuio/2Dcur", {}, {4}, {{4, 0.5f, 0.875f}}, 1});
    EXPECT_EQ(
        block(),
        (Served{{1, 0.125f, 0.5f}, {1, 0.875f, 0.5f}, {2, 0.875f, 0.25f}, {4, 0.5f, 0.875f}}));

    // "left" and the IPv6 sender speak on; "right" falls silent.
    nowMs = 600;
    send(ipv4, {"/tuio/2Dcur", "left@a", {1}, {}, 501});
    send(ipv6, {"/tuio/2Dcur", {}, {4}, {}, 2});
    nowMs = 1200;
    EXPECT_EQ(block(), (Served{{1, 0.125f, 0.5f}, {4, 0.5f, 0.875f}}));
    EXPECT_EQ(bridge.tracker().sourceCount(), 2);
    EXPECT_EQ(log.filter("right@a").filter("silent").size(), 1) << qPrintable(log.join('\n'));
}

} // namespace
