// SPDX-License-Identifier: MIT
// The real radarsim binary, spoken to by a raw socket on loopback.
#include "loopbackclient.h"
#include "radarsimprocess.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Reads one block; `first` chooses the layout. Returns the body.
QByteArray readBlock(LoopbackClient &c, bool first, quint16 *number = nullptr)
{
    const QByteArray size = c.read(2);
    if (size.size() != 2)
        return {};
    const QByteArray body = c.read(u16At(size, 0));
    const int header = first ? 2 : 4;
    EXPECT_EQ(body.size(), header + 10 * u16At(body, header - 2)) << "size field disagrees";
    if (number && !first)
        *number = u16At(body, 0);
    return body;
}

TEST(RadarSimProcess, firstBlockThenNumberedBlocksInBigEndian)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "corners", "--targets", "5"}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(sim.port));

    c.send("\x02");
    const QByteArray first = c.read(2 + 2 + 50);
    ASSERT_EQ(first.size(), 54);
    EXPECT_EQ(first.left(4), QByteArray::fromHex("00340005"));
    // Record 2 is (1, 0) with value 2; record 5 the centre with value 5.
    EXPECT_EQ(first.mid(4 + 10, 10), QByteArray::fromHex("3f800000000000000002"));
    EXPECT_EQ(f32At(first, 4 + 40), 0.5f);
    EXPECT_EQ(f32At(first, 4 + 44), 0.5f);
    EXPECT_EQ(u16At(first, 4 + 48), 5);
    EXPECT_TRUE(c.quiet());

    for (quint16 expected = 1; expected <= 3; ++expected) {
        c.send("\x02");
        const QByteArray later = c.read(2 + 4 + 50);
        ASSERT_EQ(later.size(), 56);
        EXPECT_EQ(u16At(later, 0), 54);
        EXPECT_EQ(u16At(later, 2), expected);
        EXPECT_EQ(u16At(later, 4), 5);
        EXPECT_EQ(later.mid(6), first.mid(4));
    }
    EXPECT_TRUE(c.quiet());
}

TEST(RadarSimProcess, answersEveryRequestByteWithExactlyOneBlock)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "grid", "--targets", "3"}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(sim.port));
    c.send(QByteArray(4, '\x02'));
    ASSERT_EQ(readBlock(c, true).size(), 32);
    for (quint16 n = 1; n <= 3; ++n) {
        quint16 number = 0;
        ASSERT_EQ(readBlock(c, false, &number).size(), 34);
        EXPECT_EQ(number, n);
    }
    EXPECT_TRUE(c.quiet());
}

TEST(RadarSimProcess, ignoresEveryOtherByte)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "corners"}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(sim.port));
    QByteArray noise;
    for (int b = 0; b < 256; ++b)
        if (b != 0x02)
            noise.append(char(b));
    c.send(noise);
    EXPECT_TRUE(c.quiet());
    // The noise neither answered nor used up the first layout.
    c.send(QByteArray("\x7f\x02\xff", 3));
    EXPECT_EQ(c.read(4), QByteArray::fromHex("00340005"));
    c.read(50);
    EXPECT_TRUE(c.quiet());
}

TEST(RadarSimProcess, eachConnectionStartsWithTheFirstLayout)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "corners", "--targets", "1"}));
    LoopbackClient a, b;
    ASSERT_TRUE(a.connectTo(sim.port));
    a.send("\x02\x02");
    readBlock(a, true);
    readBlock(a, false);
    ASSERT_TRUE(b.connectTo(sim.port));
    b.send("\x02");
    EXPECT_EQ(b.read(4), QByteArray::fromHex("000c0001"));
    a.send("\x02");
    quint16 number = 0;
    readBlock(a, false, &number);
    EXPECT_EQ(number, 2);
    a.socket.abort();
    // A vanished client leaves the server serving the others.
    b.read(10);
    b.send("\x02");
    EXPECT_EQ(b.read(6), QByteArray::fromHex("000e00010001"));
}

TEST(RadarSimProcess, sendsTheLargestWellFormedBlock)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "grid", "--targets", "6553"}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(sim.port));
    c.send("\x02\x02");
    const QByteArray first = readBlock(c, true);
    ASSERT_EQ(first.size(), 65532);
    EXPECT_EQ(u16At(first, 0), 6553);
    const QByteArray later = readBlock(c, false);
    ASSERT_EQ(later.size(), 65534);
    EXPECT_EQ(u16At(later, 2), 6553);
    // The last record is target 6553, inside the unit square.
    EXPECT_EQ(u16At(later, 65534 - 2), 6553);
    EXPECT_GT(f32At(later, 65534 - 10), 0.0f);
    EXPECT_LT(f32At(later, 65534 - 6), 1.0f);
}

TEST(RadarSimProcess, walkersMoveBetweenRequests)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "walk", "--targets", "8", "--seed", "5"}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(sim.port));
    c.send("\x02");
    const QByteArray before = readBlock(c, true).mid(2);
    QElapsedTimer pause;
    pause.start();
    while (pause.elapsed() < 300)
        c.socket.waitForReadyRead(50);
    c.send("\x02");
    const QByteArray after = readBlock(c, false).mid(4);
    ASSERT_EQ(before.size(), 80);
    EXPECT_NE(before, after);
}

TEST(RadarSimProcess, refusesMoreTargetsThanABlockCanHold)
{
    QProcess p;
    p.start(radarSimPath(), {"--targets", "6554", "--port", "0", "--address", "127.0.0.1"});
    ASSERT_TRUE(p.waitForFinished(simStartMs));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("--targets")) << qPrintable(err);
    EXPECT_TRUE(err.contains("6553")) << qPrintable(err);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
}

TEST(RadarSimProcess, helpNamesTheOptionsAndExitsZero)
{
    QProcess p;
    p.start(radarSimPath(), {"--help"});
    ASSERT_TRUE(p.waitForFinished(simStartMs));
    EXPECT_EQ(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *word : {"--port", "--targets", "--seed", "--pattern", "6553"})
        EXPECT_TRUE(out.contains(word)) << word;
}

TEST(RadarSimProcess, aBusyPortEndsWithStatusOne)
{
    RadarSimProcess first;
    ASSERT_TRUE(first.start({}));
    QProcess second;
    second.start(radarSimPath(), {"--address", "127.0.0.1", "--port", QString::number(first.port)});
    ASSERT_TRUE(second.waitForFinished(simStartMs));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(second.readAllStandardError()).contains("cannot listen"));
}

// Lines of the process's standard error until one contains `text`.
bool waitForLog(QProcess &p, QString &log, const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    while (!log.contains(text) && timer.elapsed() < simStartMs && p.state() == QProcess::Running) {
        p.waitForReadyRead(50);
        log += QString::fromUtf8(p.readAllStandardError());
    }
    return log.contains(text);
}

TEST(RadarSimProcess, outOfFileDescriptorsPausesAcceptingUntilOneIsFree)
{
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers check an object's type, the first time, with a pipe of
    // their own, which a process out of descriptors cannot open: they would
    // report a bad type at the first check in the episode.
    GTEST_SKIP() << "the sanitizer runtime needs descriptors of its own";
#endif
    constexpr int descriptors = 16, clients = 2 * descriptors;
    RadarSimProcess sim("prlimit");
    ASSERT_TRUE(sim.start(
        {QString("--nofile=%1").arg(descriptors), radarSimPath(), "--pattern", "corners"}));
    const quint16 port = sim.port;

    // More clients than descriptors: they wait in the listening queue.
    std::vector<std::unique_ptr<LoopbackClient>> waiting;
    for (int i = 0; i < clients; ++i) {
        waiting.push_back(std::make_unique<LoopbackClient>());
        ASSERT_TRUE(waiting.back()->connectTo(port)) << i;
    }
    QString log;
    ASSERT_TRUE(waitForLog(sim.process, log, "cannot accept a client")) << qPrintable(log);
    waiting.clear();
    // Once descriptors are free again, the server takes clients again.
    LoopbackClient late;
    ASSERT_TRUE(late.connectTo(port));
    late.send("\x02");
    EXPECT_EQ(late.read(4), QByteArray::fromHex("00340005"));
    EXPECT_TRUE(waitForLog(sim.process, log, "accepting new clients again")) << qPrintable(log);
    // One line as an episode starts and one as it ends, never one per retry:
    // how many episodes the backlog makes depends on the machine's pace.
    QStringList episode;
    for (const QString &line : log.split('\n')) {
        if (line.contains("cannot accept a client"))
            episode << "start";
        else if (line.contains("accepting new clients again"))
            episode << "end";
    }
    for (int i = 0; i < episode.size(); ++i)
        EXPECT_EQ(episode[i], i % 2 == 0 ? "start" : "end") << qPrintable(log);
    ASSERT_TRUE(sim.stop());
    EXPECT_EQ(sim.process.exitCode(), 0);
}

TEST(RadarSimProcess, stopsCleanlyOnSigtermAndSigintAndLogsConnections)
{
    for (int signalNumber : {SIGTERM, SIGINT}) {
        RadarSimProcess sim;
        ASSERT_TRUE(sim.start({}));
        {
            LoopbackClient c;
            ASSERT_TRUE(c.connectTo(sim.port));
            c.send("\x02");
            ASSERT_EQ(c.read(4).size(), 4);
            c.socket.disconnectFromHost();
            if (c.socket.state() != QAbstractSocket::UnconnectedState)
                c.socket.waitForDisconnected(simReadMs);
        }
        LoopbackClient stillThere;
        ASSERT_TRUE(stillThere.connectTo(sim.port));
        ASSERT_TRUE(sim.stop(signalNumber));
        EXPECT_EQ(sim.process.exitStatus(), QProcess::NormalExit) << signalNumber;
        EXPECT_EQ(sim.process.exitCode(), 0) << signalNumber;
        const QString log = QString::fromUtf8(sim.process.readAllStandardError());
        EXPECT_EQ(log.count(QRegularExpression("client \\S+ connected\n")), 2) << qPrintable(log);
        EXPECT_EQ(log.count("closed after 1 blocks"), 1) << qPrintable(log);
        EXPECT_TRUE(log.contains("stopped with 1 client(s) connected")) << qPrintable(log);
    }
}

} // namespace
