#include "simprocess.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QtEndian>

#include <cstring>

namespace {
constexpr int pollMs = 50;
}

bool RadarSimProcess::start(QStringList args)
{
    args << "--address"
         << "127.0.0.1"
         << "--port"
         << "0";
    process.start(RADARSIM_PATH, args);
    if (!process.waitForStarted(simStartMs))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < simStartMs &&
           process.state() == QProcess::Running)
        process.waitForReadyRead(pollMs);
    const QString line = QString::fromUtf8(process.readLine()).trimmed();
    const QString prefix = "radarsim: listening on port ";
    if (!line.startsWith(prefix))
        return false;
    port = quint16(line.mid(prefix.size()).toUInt());
    return port != 0;
}

bool RadarSimProcess::stop(int signalNumber)
{
    ::kill(pid_t(process.processId()), signalNumber);
    return process.waitForFinished(simStartMs);
}

RadarSimProcess::~RadarSimProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(simStartMs);
    }
}

RadarSimRun runRadarSim(const QStringList &args)
{
    QProcess p;
    p.start(RADARSIM_PATH, args);
    RadarSimRun run;
    run.finished = p.waitForFinished(simStartMs);
    if (!run.finished) {
        p.kill();
        p.waitForFinished(simStartMs);
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

bool LoopbackClient::connectTo(quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(simReadMs);
}

void LoopbackClient::send(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

QByteArray LoopbackClient::read(qint64 n)
{
    QElapsedTimer timer;
    timer.start();
    while (socket.bytesAvailable() < n && timer.elapsed() < simReadMs &&
           socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForReadyRead(pollMs);
    return socket.read(n);
}

bool LoopbackClient::quiet(int ms)
{
    return socket.bytesAvailable() == 0 && !socket.waitForReadyRead(ms);
}

bool LoopbackClient::closedByServer()
{
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < simReadMs)
        socket.waitForReadyRead(pollMs);
    return socket.state() != QAbstractSocket::ConnectedState;
}

quint16 u16At(const QByteArray &b, int at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}

float f32At(const QByteArray &b, int at)
{
    const quint32 bits = qFromBigEndian<quint32>(b.constData() + at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
