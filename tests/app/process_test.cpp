// The real radarclient binary, run as a user runs it: in a working directory
// with its own clientSettings.xml, on a private X display, with boxes and the
// window answered by real key presses.
#include "clientprocessfixture.h"
#include "testserver.h"

#include <QElapsedTimer>
#include <QProcess>
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

TEST_F(ClientProcess, lostServerShowsOneErrorBoxThenExitsZero)
{
    work.writeSettings(server.port());
    start();
    ASSERT_TRUE(server.waitForClient(appearMs));
    ASSERT_FALSE(mainWindow().isEmpty());
    ASSERT_TRUE(server.waitForReceived(1));
    server.close();
    dismissTheOneErrorBox();
}

} // namespace
