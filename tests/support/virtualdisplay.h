// SPDX-License-Identifier: MIT
// A private Xvfb display for one test or one run, so that real key presses
// and screenshots reach only the programs started on it; with a window
// manager when a full-screen window must really fill the screen. The server
// is asked to end (so it removes its lock and socket) when the object goes.
#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class VirtualDisplay
{
public:
    static constexpr int width = 1280, height = 720; // pixels, 24-bit colour
    // Generous: a loaded machine starts X programs slowly.
    static constexpr int startTimeoutMs = 20000;
    static constexpr int toolTimeoutMs = 20000;

    enum class WindowManager { none, matchbox };

    // Starts Xvfb (no TCP, no reset) on a free display number, and the
    // window manager if asked for, waiting until it has taken the display.
    explicit VirtualDisplay(WindowManager manager = WindowManager::none);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    bool isRunning() const { return failure.isEmpty(); }
    QString problem() const { return failure; } // why it is not running
    QString name() const { return display; }    // ":N"
    // This process's environment with DISPLAY set to this display.
    QProcessEnvironment environment() const;

    // Visible windows whose title matches the regular expression, or that
    // belong to the process id; polls until at least one shows up or the
    // timeout passes.
    QStringList waitForWindowsNamed(const QString &titleRegex, int timeoutMs);
    QStringList waitForWindowsOf(qint64 pid, int timeoutMs);

    // Gives the window the keyboard focus and presses and releases the keys
    // (xdotool key names, e.g. "Escape", "ctrl+q"), as typed on a keyboard.
    bool pressKeys(const QString &window, const QStringList &keys);

    // The whole screen as the X server holds it (RGB32); null when it
    // cannot be read.
    QImage grab() const;

private:
    bool startServer();
    bool startWindowManager();
    bool windowManagerAnnounced() const;
    QStringList search(const QStringList &criteria);
    bool xdotool(const QStringList &arguments, QByteArray *output = nullptr);
    QStringList pollSearch(const QStringList &criteria, int timeoutMs);

    QProcess server;
    QProcess windowManager;
    QString display;
    QString failure;
};
