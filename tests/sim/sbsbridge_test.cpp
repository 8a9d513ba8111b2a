// SPDX-License-Identifier: MIT
// The BaseStation bridge against a feed on loopback that writes lines like
// a receiver's: where known positions land, the range, silent aircraft,
// malformed lines, and a feed that closes. The bridge's clock is the
// test's, so a minute's silence takes no waiting.
#include "sim/sbsbridge.h"
#include "waituntil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr int reconnectWaitMs = 20000; // the first pause, on a loaded machine

const GeoPoint site{52.0, 4.0};
const double kmPerDegree = SiteProjection::earthRadiusKm * M_PI / 180.0;

// The line a receiver writes for an aircraft `northKm` and `eastKm` from
// the site at `feet`.
QByteArray positionLine(quint32 address, double northKm, double eastKm, int feet)
{
    const double lat = site.latitude + northKm / kmPerDegree;
    const double lon =
        site.longitude + eastKm / (kmPerDegree * std::cos(site.latitude * M_PI / 180));
    return QString("MSG,3,111,11111,%1,111111,2024/05/01,12:00:00.000,2024/05/01,12:00:00.000,,"
                   "%2,,,%3,%4,,,0,0,0,0\r\n")
        .arg(address, 6, 16, QChar('0'))
        .arg(feet)
        .arg(lat, 0, 'f', 7)
        .arg(lon, 0, 'f', 7)
        .toLatin1();
}

QByteArray velocityLine(quint32 address)
{
    return QString("MSG,4,111,11111,%1,111111,2024/05/01,12:00:01.000,2024/05/01,12:00:01.000,,,"
                   "420,90,,,0,,,,,0\r\n")
        .arg(address, 6, 16, QChar('0'))
        .toLatin1();
}

class SbsBridgeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(feedServer.listen(QHostAddress::LocalHost, 0));
        bridge = std::make_unique<SbsBridge>(
            "127.0.0.1", feedServer.serverPort(),
            SbsFeed::Settings{site, SbsFeed::defaultRangeKm, SbsFeed::Value::Altitude, {}},
            [this](const QString &line) { log << line; }, [this] { return nowMs; });
        bridge->start();
        ASSERT_TRUE(accept());
    }

    // Waits for the bridge to connect; the feed's side becomes `feed`.
    bool accept(int timeoutMs = waitUntilMs)
    {
        if (!waitUntil([&] { return feedServer.hasPendingConnections(); }, timeoutMs))
            return false;
        feed.reset(feedServer.nextPendingConnection());
        return true;
    }

    // Writes lines and waits until the bridge has read them all.
    void write(const QByteArray &lines)
    {
        const qint64 expected = bridge->feed().counts().lines + lines.count('\n');
        feed->write(lines);
        ASSERT_TRUE(waitUntil([&] { return bridge->feed().counts().lines == expected; }));
    }

    qint64 nowMs = 0;
    QStringList log;
    QTcpServer feedServer;
    std::unique_ptr<QTcpSocket> feed;
    std::unique_ptr<SbsBridge> bridge;
};

TEST_F(SbsBridgeTest, positionsLandWhereTheMappingSaysWithinTheRangeUntilSilent)
{
    write(positionLine(0xa00001, 25, 0, 37000) +  // north: towards the far edge
          "MSG,3,garbage\r\n" +                   // malformed: skipped
          positionLine(0xa00002, 35, 35, 12345) + // north-east, 49.5 km out
          positionLine(0xa00003, 40, 40, 1000) +  // 56.6 km: in the square, beyond the range
          "\x01\x02\xff\r\n" +                    // malformed
          positionLine(0xa00004, -60, 0, 1000) +  // beyond the edge
          velocityLine(0xa00005));                // heard, but nowhere yet
    EXPECT_EQ(bridge->feed().counts().malformed, 2);
    EXPECT_EQ(bridge->feed().aircraftCount(), 5);

    QVector<SimTarget> targets = bridge->targetsAt(0);
    ASSERT_EQ(targets.size(), 2);
    EXPECT_NEAR(targets[0].x, 0.5, 1e-5);
    EXPECT_NEAR(targets[0].y, 0.25, 1e-5);
    EXPECT_EQ(targets[0].value, 370);
    EXPECT_NEAR(targets[1].x, 0.85, 1e-5);
    EXPECT_NEAR(targets[1].y, 0.15, 1e-5);
    EXPECT_EQ(targets[1].value, 123);

    // The first is heard again half a minute later, without a position;
    // the second is not heard again.
    nowMs = SbsFeed::goneAfterMs / 2;
    write(velocityLine(0xa00001));
    nowMs = SbsFeed::goneAfterMs + 1;
    targets = bridge->targetsAt(0);
    ASSERT_EQ(targets.size(), 1);
    EXPECT_EQ(targets[0].value, 370);
}

TEST_F(SbsBridgeTest, reconnectsAfterTheFeedClosesAndDropsItsUnfinishedLine)
{
    write(positionLine(0xa00001, 0, 0, 100));
    feed->write(positionLine(0xa00002, 0, 0, 200).left(30));
    feed->flush();
    feed->close();
    ASSERT_TRUE(accept(reconnectWaitMs)) << qPrintable(log.join('\n'));
    write(positionLine(0xa00003, 0, 0, 300));
    EXPECT_EQ(bridge->feed().counts().malformed, 0);
    EXPECT_EQ(bridge->connections(), 2);
    EXPECT_EQ(bridge->targetsAt(0).size(), 2);
    EXPECT_EQ(log.filter("trying again in 1 s").size(), 1) << qPrintable(log.join('\n'));
}

} // namespace
