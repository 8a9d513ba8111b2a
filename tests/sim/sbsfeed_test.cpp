// SPDX-License-Identifier: MIT
// A BaseStation stream from its bytes to targets, without a socket: lines
// cut from pieces, overlong lines, the value an aircraft carries, and the
// bound on the aircraft followed.
#include "sim/sbsfeed.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QByteArray positionLine(quint32 address, const char *altitude)
{
    return QString("MSG,3,1,1,%1,1,,,,,,%2,,,52.0,4.0,,,0,0,0,0\r\n")
        .arg(address, 6, 16, QChar('0'))
        .arg(altitude)
        .toLatin1();
}

struct Feed
{
    explicit Feed(SbsFeed::Value value = SbsFeed::Value::Altitude)
        : feed({{52.0, 4.0}, SbsFeed::defaultRangeKm, value, {}},
               [this](const QString &line) { log << line; })
    {
    }

    void receive(const QByteArray &bytes) { feed.receive(bytes.constData(), bytes.size(), 0); }

    QStringList log;
    SbsFeed feed;
};

TEST(SbsFeed, linesAreCutFromAnyPiecesAndOverlongOnesSkippedToTheirEnd)
{
    Feed f;
    const QByteArray line = positionLine(1, "100");
    for (char c : line)
        f.receive(QByteArray(1, c));
    f.receive(QByteArray(SbsFeed::maxLineBytes, ',') + positionLine(2, "200"));
    f.receive(positionLine(3, "300") + positionLine(4, "400").left(20));
    f.feed.restart(); // the connection broke: the unfinished line goes
    f.receive(positionLine(5, "500"));
    EXPECT_EQ(f.feed.counts().lines, 4);
    EXPECT_EQ(f.feed.counts().malformed, 1);
    QList<int> values;
    for (const SimTarget &t : f.feed.targets(0))
        values << t.value;
    EXPECT_EQ(values, (QList<int>{1, 3, 5}));
}

TEST(SbsFeed, valuesAreHundredsOfFeetClampedOrTheAddressLow16Bits)
{
    Feed f;
    f.receive(positionLine(1, "37049") + positionLine(2, "37050") + positionLine(3, "-200") +
              positionLine(4, "9999999") + positionLine(5, ""));
    QList<int> values;
    for (const SimTarget &t : f.feed.targets(0))
        values << t.value;
    EXPECT_EQ(values, (QList<int>{370, 371, 0, 65535, 0}));

    Feed icao(SbsFeed::Value::Address);
    icao.receive(positionLine(0xabcdef, "1000"));
    ASSERT_EQ(icao.feed.targets(0).size(), 1);
    EXPECT_EQ(icao.feed.targets(0)[0].value, 0xcdef);
}

TEST(SbsFeed, followsABoundedNumberOfAircraft)
{
    Feed f;
    QByteArray lines;
    for (int a = 0; a <= SbsFeed::maxAircraft; ++a)
        lines += positionLine(quint32(a), "100");
    f.receive(lines);
    EXPECT_EQ(f.feed.aircraftCount(), SbsFeed::maxAircraft);
    EXPECT_EQ(f.feed.counts().refused, 1);
    EXPECT_EQ(f.log.filter("ignoring new ones").size(), 1);
    // Once the others are gone, a new one is followed.
    const QByteArray late = positionLine(0xffffff, "100");
    f.feed.receive(late.constData(), late.size(), SbsFeed::goneAfterMs + 1);
    EXPECT_EQ(f.feed.aircraftCount(), 1);
}

} // namespace
