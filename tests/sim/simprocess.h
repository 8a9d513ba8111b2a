// Test support: the real radarsim binary on a free loopback port, and a
// plain socket client for it.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>

#include <csignal>

constexpr int simStartMs = 5000;
constexpr int simReadMs = 5000;

class RadarSimProcess
{
public:
    // Starts radarsim with `args` on a free loopback port; false if it did
    // not report one.
    bool start(QStringList args);
    // Sends the signal and waits for the end; false if it did not end.
    bool stop(int signalNumber = SIGTERM);
    ~RadarSimProcess();

    QProcess process;
    quint16 port = 0;
};

struct RadarSimRun
{
    bool finished = false; // within simStartMs
    int exitCode = -1;
    QString out, err;
};

// Runs radarsim with `args` to its end; for runs that must fail at once.
RadarSimRun runRadarSim(const QStringList &args);

struct LoopbackClient
{
    QTcpSocket socket;

    bool connectTo(quint16 port);
    void send(const QByteArray &bytes);
    // Up to `n` bytes, waiting at most simReadMs for them.
    QByteArray read(qint64 n);
    // Nothing arrives within `ms`.
    bool quiet(int ms = 300);
    // The server closes the connection within simReadMs.
    bool closedByServer();
};

quint16 u16At(const QByteArray &b, int at);
float f32At(const QByteArray &b, int at);
