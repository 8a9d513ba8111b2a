// SPDX-License-Identifier: MIT
// The real radarsim binary as a process: serving on a free loopback port,
// or run to its end.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>

// Generous: a loaded machine starts a sanitizer build slowly.
constexpr int simStartMs = 20000;

// The program built with this tree.
QString radarSimPath();

// The port of radarsim's "listening on port N" line (without its line
// end); 0 when the line is not that one.
quint16 portFromListeningLine(const QByteArray &line);

class RadarSimProcess
{
public:
    explicit RadarSimProcess(const QString &program = radarSimPath());
    ~RadarSimProcess(); // ends the process if it still runs

    // Starts radarsim with `args` on a free loopback port (--port 0) and
    // reads the port from the line it prints once it listens; false if it
    // did not report one within simStartMs. Its standard error stays
    // unread in `process` unless the channels are set before.
    bool start(QStringList args);
    // After start() with --tuio: the UDP port of the line radarsim prints
    // next, "TUIO on UDP port N"; 0 when that line does not come within
    // simStartMs.
    quint16 readTuioPort();
    // Sends the signal and waits for the end; false if it did not end.
    bool stop(int signalNumber = SIGTERM);

    QProcess process;
    quint16 port = 0;

private:
    // Standard output's next line, without its end; waits up to simStartMs.
    QByteArray nextLine();

    QString program;
};

struct RadarSimRun
{
    bool finished = false; // within simStartMs
    int exitCode = -1;
    QString out, err;
};

// Runs radarsim with `args` to its end; for runs that must fail at once.
RadarSimRun runRadarSim(const QStringList &args);
