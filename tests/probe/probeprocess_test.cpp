// SPDX-License-Identifier: MIT
// The real radarprobe against the real radarsim on loopback: it must pass a
// healthy simulator and catch every fault mode the simulator has.
#include "radarsimprocess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

// A verdict must not hang on the machine's speed. A run whose end the
// server brings (--fault drop) gets far more seconds than it needs; a run
// that is not about latency gets a limit no busy machine reaches; a run that
// counts blocks gets ten times the time they take on an idle one.
constexpr int probeEndMs = 120000;
const QString shortRun = "0.6"; // seconds of requests
const QString blocksRun = "2";  // some fifty requests at the client's pace
const QString untilHangUp = "60";
const QStringList anyLatency{"--max-latency", "60000"};

struct ProbeRun
{
    int exitCode = -1;
    QString out, err;
};

ProbeRun probe(quint16 port, QStringList args = {}, const QString &seconds = shortRun)
{
    args << "--duration" << seconds << QString("127.0.0.1:%1").arg(port);
    QProcess p;
    p.start(RADARPROBE_PATH, args);
    ProbeRun run;
    if (!p.waitForFinished(probeEndMs)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// Probes a simulator started with `simArgs`.
ProbeRun probeSim(const QStringList &simArgs, const QStringList &probeArgs = {},
                  const QString &seconds = shortRun)
{
    RadarSimProcess sim;
    if (!sim.start(simArgs))
        return {};
    return probe(sim.port, probeArgs, seconds);
}

int blocksIn(const QString &report)
{
    const auto m = QRegularExpression("blocks: (\\d+)").match(report);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The latency the report gives the first block when it was too late; -1
// when it gives none.
double firstLateReplyMs(const QString &report)
{
    const auto m = QRegularExpression("at byte 0: block 1: reply took (\\d+\\.\\d) ms, above the "
                                      "limit of 200\\.0 ms")
                       .match(report);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

TEST(RadarProbe, passesAHealthySimulator)
{
    ProbeRun run;
    for (const QStringList &sim : {QStringList{"--pattern", "walk", "--targets", "20"},
                                   QStringList{"--scenario", RADAR_SCENARIO_DIR "/crowd.txt"}}) {
        run = probeSim(sim, anyLatency, blocksRun);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.out + run.err);
        EXPECT_TRUE(run.out.endsWith("violations: none\nresult: pass\n")) << qPrintable(run.out);
        EXPECT_GE(blocksIn(run.out), 5) << qPrintable(run.out);
        EXPECT_FALSE(run.out.contains("note:")) << qPrintable(run.out);
        EXPECT_TRUE(run.out.contains("latency: p50 ")) << qPrintable(run.out);
    }
    const ProbeRun &crowd = run; // the last of the loop
    EXPECT_TRUE(crowd.out.contains("targets per block: min 6553, avg 6553.0, max 6553"))
        << qPrintable(crowd.out);
}

TEST(RadarProbe, splitWritesAreNotedAndFailOnlyWhenTooSlow)
{
    // A small block, one byte every 20 ms, is slow but in time; legal on
    // TCP. The gaps are long enough for the probe to see single bytes
    // however busy the machine is.
    const ProbeRun small = probeSim({"--targets", "2", "--fault", "split:20"}, anyLatency, "0.5");
    EXPECT_EQ(small.exitCode, 0) << qPrintable(small.out);
    EXPECT_TRUE(small.out.contains(QRegularExpression("note: \\d+ of \\d+ blocks arrived in small "
                                                      "pieces \\(down to 1 bytes\\)")))
        << qPrintable(small.out);
    // A first block of 30 targets, its bytes a ms apart, cannot come within
    // 200 ms. The server hangs up after the block, so the probe waits for
    // all of it.
    constexpr int bigBlockBytes = 2 + 2 + 30 * 10;
    const ProbeRun big =
        probeSim({"--targets", "30", "--fault", "split", "--fault", "drop:1"}, {}, untilHangUp);
    EXPECT_EQ(big.exitCode, 1) << qPrintable(big.out);
    EXPECT_GE(firstLateReplyMs(big.out), bigBlockBytes - 1) << qPrintable(big.out);
}

TEST(RadarProbe, delaysFailAboveTheLatencyLimit)
{
    constexpr int delayMs = 300;
    const QString delay = QString("delay:%1").arg(delayMs);
    const ProbeRun slow = probeSim({"--fault", delay, "--fault", "drop:1"}, {}, untilHangUp);
    EXPECT_EQ(slow.exitCode, 1) << qPrintable(slow.out);
    EXPECT_GE(firstLateReplyMs(slow.out), delayMs) << qPrintable(slow.out);
    EXPECT_TRUE(slow.out.contains("note:")) << qPrintable(slow.out);

    const ProbeRun tolerated = probeSim({"--fault", delay}, anyLatency);
    EXPECT_EQ(tolerated.exitCode, 0) << qPrintable(tolerated.out);
}

TEST(RadarProbe, catchesAHangUp)
{
    const ProbeRun run = probeSim({"--fault", "drop:3"}, {}, untilHangUp);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.out);
    EXPECT_EQ(blocksIn(run.out), 3);
    // Five walkers, the default: 54 + 2 * 56 bytes before the hang-up.
    EXPECT_TRUE(run.out.contains("at byte 166: the server closed the connection after 3 blocks"))
        << qPrintable(run.out);
}

TEST(RadarProbe, catchesWrongSizeFieldsInBothLayouts)
{
    const ProbeRun run = probeSim({"--fault", "badsize:-2", "--fault", "drop:2"}, {}, untilHangUp);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.out);
    EXPECT_TRUE(run.out.contains("at byte 0: block 1: size field 50, but 5 records in the first "
                                 "layout need 2 + 10 x 5 = 52"))
        << qPrintable(run.out);
    EXPECT_TRUE(run.out.contains("at byte 54: block 2: size field 52, but 5 records in the later "
                                 "layout need 4 + 10 x 5 = 54"))
        << qPrintable(run.out);
    // Read by their counts, the blocks stay in step: every one answered.
    EXPECT_FALSE(run.out.contains("without a request")) << qPrintable(run.out);
}

TEST(RadarProbe, catchesCountsAboveTheLimit)
{
    const ProbeRun run =
        probeSim({"--fault", "overcount:10001", "--fault", "drop:1"}, {}, untilHangUp);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.out);
    EXPECT_TRUE(run.out.contains("at byte 2: block 1: count 10001 is above 6553, the most a 16-bit "
                                 "size field can describe (and above the client's table of 10000)"))
        << qPrintable(run.out);
    EXPECT_TRUE(run.out.contains("at byte 0: block 1: size field 34476")) << qPrintable(run.out);
}

TEST(RadarProbe, catchesCoordinatesOutsideTheSquareUnlessAllowed)
{
    // radarsim keeps its targets inside; this server answers every request
    // with one target at (1.5, 0.5).
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        QTcpSocket *s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, [s, first = true]() mutable {
            const QByteArray record = QByteArray::fromHex("3fc00000"
                                                          "3f000000"
                                                          "0001");
            for (char byte : s->readAll()) {
                if (byte != 0x02)
                    continue;
                s->write((first ? QByteArray::fromHex("000c0001")
                                : QByteArray::fromHex("000e00000001")) +
                         record);
                first = false;
            }
        });
    });
    auto probeIt = [&server](QStringList args) {
        args << anyLatency << "--duration"
             << "0.5" << QString("127.0.0.1:%1").arg(server.serverPort());
        QProcess p;
        p.start(RADARPROBE_PATH, args);
        EXPECT_TRUE(p.waitForStarted());
        // This test's event loop serves the probe meanwhile.
        QElapsedTimer timer;
        timer.start();
        while (p.state() != QProcess::NotRunning && timer.elapsed() < probeEndMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        p.waitForFinished();
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
    };
    const auto [strictCode, strict] = probeIt({});
    EXPECT_EQ(strictCode, 1) << qPrintable(strict);
    EXPECT_TRUE(strict.contains("at byte 4: block 1, record 1: x 1.5 is outside [0, 1]"))
        << qPrintable(strict);
    const auto [lenientCode, lenient] = probeIt({"--allow-outside"});
    EXPECT_EQ(lenientCode, 0) << qPrintable(lenient);
}

TEST(RadarProbe, anUnreachableServerAndBadOptionsHaveTheirOwnStatus)
{
    quint16 closedPort = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
        closedPort = gone.serverPort();
    }
    const ProbeRun unreachable = probe(closedPort);
    EXPECT_EQ(unreachable.exitCode, 3);
    EXPECT_TRUE(unreachable.err.startsWith(
        QString("radarprobe: cannot reach 127.0.0.1:%1: ").arg(closedPort)))
        << qPrintable(unreachable.err);
    EXPECT_TRUE(unreachable.out.isEmpty());

    const ProbeRun bad = probe(1, {"--max-latency", "soon"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("--max-latency")) << qPrintable(bad.err);

    QProcess help;
    help.start(RADARPROBE_PATH, {"--help"});
    ASSERT_TRUE(help.waitForFinished(probeEndMs));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--duration"));
}

} // namespace
