// The real radarclient binary, run as a user runs it: in a working directory
// with its own clientSettings.xml, on a private X display, with boxes and the
// window answered by real key presses.
#include "privatedisplay.h"
#include "testserver.h"
#include "workdir.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const int appearMs = 20000; // generous: a loaded machine starts Qt and GL slowly
const int exitMs = 20000;
const int quietMs = 300;
const QString errorBoxTitle = "^Client error$";

class ClientProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(server.isListening());
    }

    void TearDown() override
    {
        if (client.state() != QProcess::NotRunning) {
            client.kill();
            client.waitForFinished(exitMs);
        }
    }

    void start()
    {
        QProcessEnvironment env = display.environment();
        // Under the sanitizers the leak report at exit covers the whole
        // client; libraries must stay mapped for it (see nodlclose.c).
        env.insert("LD_PRELOAD", NODLCLOSE);
        const QString asan = env.value("ASAN_OPTIONS");
        env.insert("ASAN_OPTIONS", (asan.isEmpty() ? "" : asan + ":") + "verify_asan_link_order=0");
        client.setProcessEnvironment(env);
        client.setWorkingDirectory(work.path());
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.start(RADARCLIENT, QStringList());
        ASSERT_TRUE(client.waitForStarted(exitMs));
    }

    // Events keep being processed while waiting, so the server stays served.
    bool exitsWithin(int timeoutMs)
    {
        return QTest::qWaitFor([&] { return client.state() == QProcess::NotRunning; }, timeoutMs);
    }

    void expectCleanExit()
    {
        ASSERT_TRUE(exitsWithin(exitMs)) << "the client did not exit";
        EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(client.exitCode(), 0);
    }

    // Finds the one error box, presses Return on it and checks the clean exit.
    void dismissTheOneErrorBox()
    {
        const QStringList boxes = display.waitForWindowsNamed(errorBoxTitle, appearMs);
        ASSERT_EQ(boxes.size(), 1) << "expected one \"Client error\" box";
        EXPECT_EQ(client.state(), QProcess::Running);
        QTest::qWait(quietMs);
        EXPECT_EQ(display.waitForWindowsNamed(errorBoxTitle, 0).size(), 1);
        ASSERT_TRUE(display.pressKeys(boxes.first(), {"Return"}));
        expectCleanExit();
    }

    QString mainWindow()
    {
        const QStringList windows = display.waitForWindowsOf(client.processId(), appearMs);
        return windows.isEmpty() ? QString() : windows.first();
    }

    PrivateDisplay display;
    WorkDir work;
    TestServer server;
    QProcess client;
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
    work.writeSettings(server.port(), "<timeToLive>2</timeToLive>");
    start();
    ASSERT_TRUE(server.waitForClient(appearMs));
    // The limit counts from the connection, made just before it was accepted.
    QElapsedTimer clock;
    clock.start();
    // The first tick, due before the limit, always sends a request.
    ASSERT_TRUE(server.waitForReceived(1));
    expectCleanExit();
    EXPECT_EQ(server.received(), QByteArray(server.received().size(), '\x02'));
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_LT(clock.elapsed(), 8000);
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
