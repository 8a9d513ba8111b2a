// The real radarclient binary run as a user runs it: in a working directory
// with its own clientSettings.xml, on a private X display, with boxes and the
// window answered by real key presses. Base of the process test suites.
#pragma once

#include "privatedisplay.h"
#include "workdir.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

class ClientProcessFixture : public ::testing::Test
{
protected:
    static constexpr int appearMs = 20000; // generous: a loaded machine starts Qt and GL slowly
    static constexpr int exitMs = 20000;
    static constexpr int quietMs = 300;

    void SetUp() override
    {
        ASSERT_TRUE(display.isRunning()) << "Xvfb did not start";
        ASSERT_TRUE(work.isValid());
    }

    void TearDown() override
    {
        if (client.state() != QProcess::NotRunning) {
            client.kill();
            client.waitForFinished(exitMs);
        }
    }

    // For a test that measures memory: under AddressSanitizer freed blocks
    // are held back for a while (to catch their use after free), which
    // would show as growth; this client does not hold them back.
    void measureMemory() { memoryMeasured = true; }

    void startInWorkDir()
    {
        QProcessEnvironment env = display.environment();
        // Under the sanitizers the leak report at exit covers the whole
        // client; libraries must stay mapped for it (see nodlclose.c).
        env.insert("LD_PRELOAD", NODLCLOSE);
        const QString asan = env.value("ASAN_OPTIONS");
        QString options = (asan.isEmpty() ? "" : asan + ":") + "verify_asan_link_order=0";
        if (memoryMeasured)
            options += ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
        env.insert("ASAN_OPTIONS", options);
        client.setProcessEnvironment(env);
        client.setWorkingDirectory(work.path());
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.start(RADARCLIENT, QStringList());
        ASSERT_TRUE(client.waitForStarted(exitMs));
    }

    // Events keep being processed while waiting, so test servers stay served.
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
        const QString errorBoxTitle = "^Client error$";
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
    QProcess client;

private:
    bool memoryMeasured = false;
};
