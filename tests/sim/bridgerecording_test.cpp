// SPDX-License-Identifier: MIT
// The real radarsim binary as a TUIO bridge with a fault, recording what
// it serves, as an operator runs it: the UDP port line, the bridge's
// targets in the blocks, the fault, and a recording of the bytes the client
// got.
#include "loopbackclient.h"
#include "radarsimprocess.h"
#include "tuioframe.h"

#include "sim/recording.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <gtest/gtest.h>

namespace {

constexpr int maxRequests = 200; // the datagram is on its way long before
constexpr int sizeDelta = 2;

// One block read by its count, as the client reads it: the size field is
// wrong on purpose.
QByteArray readBlock(LoopbackClient &c, bool first)
{
    const int header = first ? 4 : 6;
    QByteArray block = c.read(header);
    if (block.size() < header)
        return {};
    const int count = u16At(block, header - 2);
    return block + c.read(10 * count);
}

TEST(BridgeRecording, aBridgeServesItsTargetsAndRecordsThemAsServed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("tuio.rec");
    RadarSimProcess sim;
    // A source that stays for ten minutes: a loaded machine takes its time.
    ASSERT_TRUE(sim.start({"--tuio", "0", "--tuio-address", "127.0.0.1", "--tuio-timeout", "600000",
                           "--record", file, "--fault", QString("badsize:%1").arg(sizeDelta)}));
    const quint16 udp = sim.readTuioPort();
    ASSERT_NE(udp, 0);
    QUdpSocket tracker;
    ASSERT_GT(tracker.writeDatagram(tuioBundle({"/tuio/2Dcur", {}, {5}, {{5, 0.25f, 0.75f}}, 1}),
                                    QHostAddress::LocalHost, udp),
              0);

    QByteArray seen, block;
    int requests = 0;
    {
        LoopbackClient c;
        ASSERT_TRUE(c.connectTo(sim.port));
        do {
            c.send("\x02");
            block = readBlock(c, requests == 0);
            ASSERT_FALSE(block.isEmpty()) << requests;
            seen += block;
        } while (++requests < maxRequests && block.size() < 6 + 10);
    }
    ASSERT_EQ(block.size(), 6 + 10) << "no target after " << requests << " requests";
    EXPECT_EQ(u16At(block, 0), 4 + 10 + sizeDelta);
    EXPECT_EQ(f32At(block, 6), 0.25f);
    EXPECT_EQ(f32At(block, 10), 0.75f);
    EXPECT_EQ(u16At(block, 14), 5);

    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.process.exitCode(), 0);
    const QString log = QString::fromUtf8(sim.process.readAllStandardError());
    EXPECT_TRUE(log.contains("recorded ")) << qPrintable(log);
    QFile recording(file);
    ASSERT_TRUE(recording.open(QIODevice::ReadOnly));
    const QByteArray bytes = recording.readAll();
    const RecordingParse p = Recording::parse(bytes.constData(), bytes.size());
    ASSERT_TRUE(p.error.isEmpty()) << qPrintable(p.error);
    QByteArray recorded;
    for (const RecordedBlock &b : p.blocks)
        recorded += bytes.mid(int(b.offset), b.length);
    // The recorder cuts the stream by its size fields, wrong ones included:
    // what it holds back at the end is less than the last block.
    EXPECT_TRUE(seen.startsWith(recorded));
    EXPECT_GT(recorded.size(), seen.size() - block.size());
}

} // namespace
