// SPDX-License-Identifier: MIT
#include "virtualdisplay.h"

#include "processend.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

namespace {
const int pollMs = 50;

// Runs an X tool on `env`'s display to its end; its standard output goes to
// `output`. False when it fails or does not end in time.
bool runTool(const QProcessEnvironment &env, const QString &program, const QStringList &arguments,
             QByteArray *output = nullptr)
{
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(program, arguments);
    if (!tool.waitForFinished(VirtualDisplay::toolTimeoutMs)) {
        tool.kill();
        tool.waitForFinished(VirtualDisplay::toolTimeoutMs);
        return false;
    }
    if (output)
        *output = tool.readAllStandardOutput();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}
} // namespace

VirtualDisplay::VirtualDisplay(WindowManager manager)
{
    if (startServer() && manager == WindowManager::matchbox)
        startWindowManager();
}

VirtualDisplay::~VirtualDisplay()
{
    endProcess(windowManager);
    endProcess(server);
}

bool VirtualDisplay::startServer()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty()) {
        failure = "Xvfb is not installed";
        return false;
    }
    // Not read, so that its warnings (such as the keymap compiler's, on
    // key presses) can never fill a pipe and stall it.
    server.setStandardErrorFile(QProcess::nullDevice());
    // -displayfd 1: Xvfb picks a free display and prints its number on stdout
    // once it accepts connections.
    // -noreset: otherwise the server resets whenever its last client (such as
    // a finished xdotool) leaves, and a client connecting meanwhile fails.
    server.start(xvfb,
                 {"-displayfd", "1", "-screen", "0", QString("%1x%2x24").arg(width).arg(height),
                  "-nolisten", "tcp", "-noreset"});
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    if (server.waitForStarted(startTimeoutMs))
        while (!number.endsWith('\n') && clock.elapsed() < startTimeoutMs &&
               server.state() == QProcess::Running) {
            server.waitForReadyRead(pollMs);
            number += server.readAllStandardOutput();
        }
    if (!number.endsWith('\n')) {
        failure = QString("Xvfb gave no display (%1, exit %2)")
                      .arg(server.state() == QProcess::Running ? "running" : "ended")
                      .arg(server.exitCode());
        return false;
    }
    display = ":" + QString::fromLatin1(number.trimmed());
    return true;
}

bool VirtualDisplay::startWindowManager()
{
    windowManager.setProcessEnvironment(environment());
    // The window manager is up once it announces itself on the root window.
    // Under load it has been seen to quit at once; it is then started again.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < startTimeoutMs) {
        if (windowManager.state() == QProcess::NotRunning) {
            windowManager.start("matchbox-window-manager", {"-use_titlebar", "no"});
            windowManager.waitForStarted(startTimeoutMs);
        }
        if (windowManagerAnnounced())
            return true;
        QThread::msleep(pollMs);
    }
    failure = QString("no window manager on %1 (%2, exit %3): %4")
                  .arg(display)
                  .arg(windowManager.state() == QProcess::Running ? "running" : "ended")
                  .arg(windowManager.exitCode())
                  .arg(QString::fromLocal8Bit(windowManager.readAllStandardError()));
    return false;
}

bool VirtualDisplay::windowManagerAnnounced() const
{
    QByteArray output;
    runTool(environment(), "xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, &output);
    return output.contains("window id");
}

QProcessEnvironment VirtualDisplay::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.remove("XAUTHORITY");
    return env;
}

bool VirtualDisplay::xdotool(const QStringList &arguments, QByteArray *output)
{
    return runTool(environment(), "xdotool", arguments, output);
}

QStringList VirtualDisplay::search(const QStringList &criteria)
{
    QByteArray output;
    xdotool(QStringList{"search", "--onlyvisible"} + criteria, &output);
    return QString::fromLatin1(output).split('\n', Qt::SkipEmptyParts);
}

QStringList VirtualDisplay::pollSearch(const QStringList &criteria, int timeoutMs)
{
    QStringList found;
    const bool appeared = QTest::qWaitFor(
        [&] {
            found = search(criteria);
            return !found.isEmpty();
        },
        timeoutMs);
    return appeared ? found : search(criteria);
}

QStringList VirtualDisplay::waitForWindowsNamed(const QString &titleRegex, int timeoutMs)
{
    return pollSearch({"--name", titleRegex}, timeoutMs);
}

QStringList VirtualDisplay::waitForWindowsOf(qint64 pid, int timeoutMs)
{
    return pollSearch({"--pid", QString::number(pid)}, timeoutMs);
}

bool VirtualDisplay::pressKeys(const QString &window, const QStringList &keys)
{
    return xdotool(QStringList{"windowfocus", "--sync", window, "key", "--clearmodifiers"} + keys);
}

QImage VirtualDisplay::grab() const
{
    QByteArray png;
    if (!runTool(environment(), "import", {"-window", "root", "png:-"}, &png))
        return {};
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}
