// SPDX-License-Identifier: MIT
// The real radarclient binary run as a user runs it: in a working directory
// with its own clientSettings.xml, on a private X display, with boxes and the
// window answered by real key presses. Base of the process test suites.
#pragma once

#include "radarclientprocess.h"
#include "virtualdisplay.h"
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
    static constexpr int tickIntervalMs = 20; // the client's timer; a request at most every tick
    static constexpr const char *errorBoxTitle = "^Client error$";

    void SetUp() override
    {
        ASSERT_TRUE(display.isRunning()) << qPrintable(display.problem());
        ASSERT_TRUE(work.isValid());
    }

    // For a test that measures memory (see RadarClientProcess).
    void measureMemory() { run.holdNoFreedBlocks(); }

    // The client's standard output is read by no one; its log (standard
    // error) goes to the test's unless the test reads it.
    void startInWorkDir(const QStringList &arguments = {},
                        QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel)
    {
        client.setProcessChannelMode(channels);
        ASSERT_TRUE(run.start(work.path(), display.environment(), arguments));
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

    // Waits for the one error box of a running client and returns it.
    QString theOneErrorBox()
    {
        const QStringList boxes = display.waitForWindowsNamed(errorBoxTitle, appearMs);
        EXPECT_EQ(boxes.size(), 1) << "expected one \"Client error\" box";
        EXPECT_EQ(client.state(), QProcess::Running);
        return boxes.value(0);
    }

    // Finds the one error box, checks that it stays `stayMs`, presses
    // Return on it and checks the clean exit.
    void dismissTheOneErrorBox(int stayMs = quietMs)
    {
        const QString box = theOneErrorBox();
        ASSERT_FALSE(box.isEmpty());
        QTest::qWait(stayMs);
        EXPECT_EQ(client.state(), QProcess::Running);
        const QStringList boxes = display.waitForWindowsNamed(errorBoxTitle, 0);
        ASSERT_EQ(boxes.size(), 1) << "the box did not stay";
        ASSERT_TRUE(display.pressKeys(boxes.first(), {"Return"}));
        expectCleanExit();
    }

    QString mainWindow()
    {
        const QStringList windows = display.waitForWindowsOf(client.processId(), appearMs);
        return windows.isEmpty() ? QString() : windows.first();
    }

    VirtualDisplay display; // no window manager: boxes and windows keep their own size
    WorkDir work;
    RadarClientProcess run; // ended when the test ends
    QProcess &client = run.process;
};
