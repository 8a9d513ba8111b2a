// SPDX-License-Identifier: MIT
// The real radarclient binary against a server that misbehaves, and with
// hostile settings files, on private X displays: it must end with one
// "Client error" box and status 0 where the run cannot go on, and otherwise
// keep drawing, keep its memory bounded and stay responsive to Escape.
#include "clientprocessfixture.h"
#include "faultserver.h"
#include "serverloss.h"
#include "wireblocks.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>

namespace {

const qint64 bytesPerKilobyte = 1024;

// Resident memory of a process in bytes, or -1 when it cannot be read.
qint64 residentBytes(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray field = "VmRSS:"; // then the size in kB
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong() *
                   bytesPerKilobyte;
    return -1;
}

class ClientFaults : public ClientProcessFixture
{
protected:
    void start(const FaultServer &server)
    {
        work.writeSettings(server.port());
        startInWorkDir();
    }

    // True when the screen keeps changing: `changes` times, at least a
    // while apart, it comes to differ from the one before. The sweep turns,
    // so a drawing client changes it, however slowly a loaded machine draws.
    bool keepsDrawing(int changes = 2)
    {
        const int apartMs = 1000;
        QImage previous = display.grab();
        for (int i = 0; i < changes; ++i) {
            QTest::qWait(apartMs);
            QImage next;
            const bool changed = QTest::qWaitFor(
                [&] {
                    next = display.grab();
                    return !previous.isNull() && !next.isNull() && next != previous;
                },
                appearMs);
            if (!changed)
                return false;
            previous = next;
        }
        return true;
    }

    // A client whose memory is measured, connected, shown and asking.
    void startMeasuredUntilFirstRequest(FaultServer &server, QString *window)
    {
        measureMemory();
        start(server);
        ASSERT_TRUE(server.waitForClient(appearMs));
        *window = mainWindow();
        ASSERT_FALSE(window->isEmpty());
        ASSERT_TRUE(server.waitForReceived(1, appearMs));
    }

    void pressEscapeAndExpectCleanExit(const QString &window)
    {
        ASSERT_TRUE(display.pressKeys(window, {"Escape"}));
        expectCleanExit();
    }
};

class ClientServerLoss : public ClientFaults, public ::testing::WithParamInterface<ServerLoss>
{
};

TEST_P(ClientServerLoss, showsOneLostConnectionBoxThenExitsZero)
{
    FaultServer server(GetParam().onAccept);
    ASSERT_TRUE(server.isListening());
    start(server);
    ASSERT_TRUE(server.waitForClient(appearMs));
    if (GetParam().afterFirstRequest) {
        ASSERT_TRUE(server.waitForReceived(1, appearMs));
        GetParam().afterFirstRequest(server);
    }
    dismissTheOneErrorBox();
}

INSTANTIATE_TEST_SUITE_P(Client, ClientServerLoss, ::testing::ValuesIn(serverLosses()),
                         [](const ::testing::TestParamInfo<ServerLoss> &info) {
                             return info.param.name;
                         });

TEST_F(ClientFaults, silentServerGetsAtMostOneRequestPerTickWhileTheClientDrawsOn)
{
    FaultServer server;
    QString window;
    ASSERT_NO_FATAL_FAILURE(startMeasuredUntilFirstRequest(server, &window));
    // The first frames set up the GL driver's own memory.
    ASSERT_TRUE(keepsDrawing()) << "the client does not draw";

    const int watchMs = 3000;
    QElapsedTimer clock;
    clock.start();
    // A request read after the clock started: every one the server reads
    // from here on was sent later, however late its thread gets to them.
    ASSERT_TRUE(server.waitForReceived(server.receivedCount() + 1, appearMs));
    const int requestsBefore = server.receivedCount();
    const qint64 memoryBefore = residentBytes(client.processId());
    EXPECT_TRUE(keepsDrawing()) << "the screen stopped changing";
    QTest::qWait(qMax<qint64>(0, watchMs - clock.elapsed()));
    EXPECT_TRUE(server.waitForReceived(requestsBefore + 1, appearMs))
        << "the client stopped asking";
    const int requests = server.receivedCount() - requestsBefore;
    const qint64 memoryAfter = residentBytes(client.processId());

    EXPECT_LE(requests, clock.elapsed() / tickIntervalMs + 1);
    // Nothing arrives, so nothing may pile up: allocator noise, but not a
    // megabyte.
    const qint64 allowedGrowth = 1 << 20;
    std::printf("silent server: %d requests in %lld ms, resident memory %lld -> %lld KiB\n",
                requests, clock.elapsed(), memoryBefore / bytesPerKilobyte,
                memoryAfter / bytesPerKilobyte);
    EXPECT_LT(memoryAfter - memoryBefore, allowedGrowth)
        << "from " << memoryBefore << " to " << memoryAfter << " bytes";
    pressEscapeAndExpectCleanExit(window);
    EXPECT_EQ(server.received().count('\x02'), server.receivedCount());
}

QByteArray garbage()
{
    std::mt19937 random(1207);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray noise(1 << 20, '\0');
    for (char &c : noise)
        c = char(byte(random));
    const int largestCount = 0xFFFF;
    return rawBlock(true, 2, 6553, {}) + rawBlock(false, 0xFFFF, 3, distinctRecords(3)) + noise +
           rawBlock(false, 0xFFFF, largestCount, distinctRecords(largestCount));
}

TEST_F(ClientFaults, garbageAndLyingSizeFieldsLeaveTheClientRunning)
{
    FaultServer server;
    start(server);
    ASSERT_TRUE(server.waitForClient(appearMs));
    const QString window = mainWindow();
    ASSERT_FALSE(window.isEmpty());
    server.send(firstBlock(distinctRecords(5)) + garbage());
    ASSERT_TRUE(server.waitForSent(appearMs));
    const int requestsBefore = server.receivedCount();
    EXPECT_TRUE(keepsDrawing()) << "the screen stopped changing";
    EXPECT_TRUE(server.waitForReceived(requestsBefore + 3, appearMs))
        << "the client stopped asking";
    ASSERT_EQ(client.state(), QProcess::Running);
    pressEscapeAndExpectCleanExit(window);
}

TEST_F(ClientFaults, floodOfUnaskedBlocksKeepsMemoryBoundedAndEscapeWorks)
{
    FaultServer server;
    QString window;
    ASSERT_NO_FATAL_FAILURE(startMeasuredUntilFirstRequest(server, &window));
    // Settled: the view is up and has drawn.
    ASSERT_TRUE(keepsDrawing(1)) << "the client does not draw";
    const qint64 memoryBefore = residentBytes(client.processId());

    const QVector<WireRecord> records = distinctRecords(6553);
    server.send(firstBlock(records));
    server.startFlood(laterBlock(records));
    // Megabytes must go out, however slowly a loaded client takes them in;
    // then tens of megabytes, or as much as the client takes in the time.
    const qint64 floodGoing = 4 * (1 << 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.floodBytes() > floodGoing; }, appearMs))
        << "the flood never got going";
    const qint64 floodTarget = 40 << 20;
    const int floodMs = 10000;
    static_cast<void>(QTest::qWaitFor([&] { return server.floodBytes() >= floodTarget; }, floodMs));
    const qint64 memoryDuring = residentBytes(client.processId());

    // The socket holds at most a megabyte; the rest is noise of a client
    // that keeps drawing. Without a bound this grows with the flood.
    const qint64 allowedGrowth = 8 << 20;
    std::printf("flood of %lld bytes: resident memory %lld -> %lld KiB\n", server.floodBytes(),
                memoryBefore / bytesPerKilobyte, memoryDuring / bytesPerKilobyte);
    EXPECT_LT(memoryDuring - memoryBefore, allowedGrowth)
        << "from " << memoryBefore << " to " << memoryDuring << " bytes after a flood of "
        << server.floodBytes();
    // Escape goes through while the flood goes on.
    pressEscapeAndExpectCleanExit(window);
    server.stopFlood();
}

TEST_F(ClientFaults, settingsNestedTooDeeplyShowTheLoadBoxThenExitZero)
{
    // Deep enough to overflow the stack of the toolkit's recursive parser.
    const int depth = 100000;
    work.writeSettings("<s><port>1</port><x>" + QByteArray("<a>").repeated(depth) +
                       QByteArray("</a>").repeated(depth) + "</x></s>");
    startInWorkDir();
    dismissTheOneErrorBox();
}

TEST_F(ClientFaults, settingsInUtf16WithAMarkAreReadAndTheClientConnects)
{
    FaultServer server;
    const QString settings = QString("<?xml version=\"1.0\" encoding=\"UTF-16\"?><s><host>127.0.0."
                                     "1</host><port>%1</port></s>")
                                 .arg(server.port());
    QByteArray bytes("\xff\xfe"); // little-endian
    for (const QChar c : settings) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    work.writeSettings(bytes);
    startInWorkDir();
    ASSERT_TRUE(server.waitForClient(appearMs));
    const QString window = mainWindow();
    ASSERT_FALSE(window.isEmpty());
    pressEscapeAndExpectCleanExit(window);
}

} // namespace
