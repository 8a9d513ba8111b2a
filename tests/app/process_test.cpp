// SPDX-License-Identifier: MIT
// The real radarclient binary, run as a user runs it: in a working directory
// with its own clientSettings.xml, on a private X display, with boxes and the
// window answered by real key presses.
#include "app/clientoptions.h"
#include "app/exitcause.h"
#include "clientprocessfixture.h"
#include "radarsimprocess.h"
#include "testserver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ClientProcess : public ClientProcessFixture
{
protected:
    void SetUp() override
    {
        ClientProcessFixture::SetUp();
        ASSERT_TRUE(server.isListening());
    }

    void start() { startInWorkDir(); }

    TestServer server;
};

TEST_F(ClientProcess, missingSettingsFileShowsTheErrorBoxThenExitsZero)
{
    start();
    dismissTheOneErrorBox();
}

TEST_F(ClientProcess, absentServerShowsTheErrorBoxThenExitsZero)
{
    const quint16 port = server.port();
    server.close();
    work.writeSettings(port);
    start();
    dismissTheOneErrorBox();
}

TEST_F(ClientProcess, requestsFlowUntilTimeToLiveEndsTheRun)
{
    const int timeToLiveMs = 2000;
    work.writeSettings(server.port(), "<timeToLive>2</timeToLive>");
    // The limit counts from the connection, made after the start: the run
    // cannot end sooner, however late this process notices its events.
    QElapsedTimer clock;
    clock.start();
    start();
    ASSERT_TRUE(server.waitForClient(appearMs));
    // The first tick, due before the limit, always sends a request.
    ASSERT_TRUE(server.waitForReceived(1));
    expectCleanExit();
    EXPECT_EQ(server.received(), QByteArray(server.received().size(), '\x02'));
    EXPECT_GE(clock.elapsed(), timeToLiveMs);
    // Nor does it go on much longer: at most one request per tick, which
    // a loaded machine only makes fewer.
    EXPECT_LE(server.received().size(), timeToLiveMs / tickIntervalMs + 1);
}

TEST_F(ClientProcess, otherKeysAreIgnoredAndEscapeCloses)
{
    work.writeSettings(server.port());
    start();
    const QString window = mainWindow();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(display.pressKeys(window, {"space", "Return", "Left", "Up", "a"}));
    EXPECT_FALSE(exitsWithin(quietMs)) << "closed on a key other than Escape or Q";
    ASSERT_TRUE(display.pressKeys(window, {"Escape"}));
    expectCleanExit();
}

TEST_F(ClientProcess, controlQCloses)
{
    work.writeSettings(server.port());
    start();
    const QString window = mainWindow();
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(display.pressKeys(window, {"ctrl+q"}));
    expectCleanExit();
}

TEST_F(ClientProcess, lostServerShowsOneErrorBoxThatWaitsForOkThenExitsZero)
{
    work.writeSettings(server.port());
    start();
    ASSERT_TRUE(server.waitForClient(appearMs));
    ASSERT_FALSE(mainWindow().isEmpty());
    ASSERT_TRUE(server.waitForReceived(1));
    server.close();
    // Without --kiosk the box outlasts the time a kiosk box would stay.
    const int kioskBoxMs = ClientOptions::defaultKioskSeconds * 1000;
    dismissTheOneErrorBox(kioskBoxMs + quietMs);
}

// With --kiosk the one box closes by itself, and the status tells the cause.
class KioskClient : public ClientProcess
{
protected:
    static constexpr int boxSeconds = 3; // long enough to be seen on a loaded machine

    void startKiosk()
    {
        startInWorkDir({"--kiosk", QString::number(boxSeconds)}, QProcess::ForwardedOutputChannel);
    }

    // `sinceBeforeFailure` was started before the client could fail: the
    // box's time counts from later, so the exit cannot come sooner, however
    // late this process notices its events.
    void expectBoxClosingByItself(const QElapsedTimer &sinceBeforeFailure, int status)
    {
        ASSERT_FALSE(theOneErrorBox().isEmpty());
        ASSERT_TRUE(exitsWithin(boxSeconds * 1000 + exitMs)) << "the box did not close";
        EXPECT_GE(sinceBeforeFailure.elapsed(), boxSeconds * 1000);
        EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(client.exitCode(), status);
    }

    // The client's log lines, without their time stamp; every line must
    // have one.
    QStringList logLines()
    {
        const QRegularExpression stamped(
            R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d (radarclient: .*)$)");
        QStringList lines;
        for (const QString &line : QString::fromUtf8(client.readAllStandardError()).split('\n')) {
            if (!line.contains("radarclient: "))
                continue; // the toolkit's and the sanitizers' own
            const QRegularExpressionMatch match = stamped.match(line);
            EXPECT_TRUE(match.hasMatch()) << qPrintable(line);
            lines << match.captured(1);
        }
        return lines;
    }
};

TEST_F(KioskClient, unreadableSettingsBoxClosesByItself)
{
    QElapsedTimer clock;
    clock.start();
    startKiosk();
    expectBoxClosingByItself(clock, exitSettingsUnreadable);
}

TEST_F(KioskClient, unreachableServerBoxClosesByItself)
{
    const quint16 port = server.port();
    server.close();
    work.writeSettings(port);
    QElapsedTimer clock;
    clock.start();
    startKiosk();
    expectBoxClosingByItself(clock, exitServerUnreachable);
}

TEST_F(KioskClient, stoppedRadarsimGivesTheBoxThenTheLostStatusAndALogOfEachEvent)
{
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--targets", "3"}));
    work.writeSettings(sim.port);
    startKiosk();
    ASSERT_FALSE(mainWindow().isEmpty());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(sim.stop());
    expectBoxClosingByItself(clock, exitConnectionLost);

    // One line per event, none per frame or block.
    const QString server = QString("127.0.0.1 port %1").arg(sim.port);
    const QStringList expected = {
        QString("radarclient: start: radarclient %1, settings %2/clientSettings.xml, server %3, "
                "kiosk mode: error boxes close after %4 s")
            .arg(clientVersion, work.path(), server)
            .arg(boxSeconds),
        "radarclient: connected to " + server, "radarclient: connection to the server lost",
        QString("radarclient: error box \"Server-connection lost!\" shown; it closes by itself "
                "after %1 s")
            .arg(boxSeconds),
        QString("radarclient: exit: connection to the server lost, status %1")
            .arg(exitConnectionLost)};
    EXPECT_EQ(logLines(), expected);
}

} // namespace
