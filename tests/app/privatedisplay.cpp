#include "privatedisplay.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>

namespace {
const int pollMs = 50;
const int stopTimeoutMs = 2000;
} // namespace

PrivateDisplay::PrivateDisplay()
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty())
        return;
    server.setProcessChannelMode(QProcess::SeparateChannels);
    server.setStandardErrorFile(QProcess::nullDevice());
    // -displayfd 1: Xvfb picks a free display and prints its number on stdout
    // once it accepts connections.
    // -noreset: otherwise the server resets whenever its last client (such as
    // a finished xdotool) leaves, and a client connecting meanwhile fails.
    server.start(
        xvfb, {"-displayfd", "1", "-screen", "0", "1280x720x24", "-nolisten", "tcp", "-noreset"});
    if (!server.waitForStarted(startTimeoutMs))
        return;
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.endsWith('\n') && clock.elapsed() < startTimeoutMs &&
           server.state() == QProcess::Running) {
        server.waitForReadyRead(pollMs);
        number += server.readAllStandardOutput();
    }
    if (number.endsWith('\n'))
        display = ":" + QString::fromLatin1(number.trimmed());
}

PrivateDisplay::~PrivateDisplay()
{
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();
    if (!server.waitForFinished(stopTimeoutMs)) {
        server.kill();
        server.waitForFinished(stopTimeoutMs);
    }
}

QProcessEnvironment PrivateDisplay::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.remove("XAUTHORITY");
    return env;
}

bool PrivateDisplay::xdotool(const QStringList &arguments, QByteArray *output)
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start("xdotool", arguments);
    if (!tool.waitForFinished(toolTimeoutMs)) {
        tool.kill();
        tool.waitForFinished(toolTimeoutMs);
        return false;
    }
    if (output)
        *output = tool.readAllStandardOutput();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QStringList PrivateDisplay::search(const QStringList &criteria)
{
    QByteArray output;
    xdotool(QStringList{"search", "--onlyvisible"} + criteria, &output);
    return QString::fromLatin1(output).split('\n', Qt::SkipEmptyParts);
}

QStringList PrivateDisplay::pollSearch(const QStringList &criteria, int timeoutMs)
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

QStringList PrivateDisplay::waitForWindowsNamed(const QString &titleRegex, int timeoutMs)
{
    return pollSearch({"--name", titleRegex}, timeoutMs);
}

QStringList PrivateDisplay::waitForWindowsOf(qint64 pid, int timeoutMs)
{
    return pollSearch({"--pid", QString::number(pid)}, timeoutMs);
}

bool PrivateDisplay::pressKeys(const QString &window, const QStringList &keys)
{
    return xdotool(QStringList{"windowfocus", "--sync", window, "key", "--clearmodifiers"} + keys);
}
