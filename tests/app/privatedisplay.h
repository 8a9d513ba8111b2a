// A private Xvfb display for one test, so that real key presses sent with
// xdotool reach only the process under test. No window manager runs on it.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class PrivateDisplay
{
public:
    static const int startTimeoutMs = 5000;
    static const int toolTimeoutMs = 5000;

    // Starts Xvfb (1280 x 720 x 24, no TCP, no reset) on a free display number.
    PrivateDisplay();
    ~PrivateDisplay();

    bool isRunning() const { return !display.isEmpty(); }
    QString name() const { return display; } // ":N"
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

private:
    QStringList search(const QStringList &criteria);
    bool xdotool(const QStringList &arguments, QByteArray *output = nullptr);
    QStringList pollSearch(const QStringList &criteria, int timeoutMs);

    QProcess server;
    QString display;
};
