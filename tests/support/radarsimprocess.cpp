// SPDX-License-Identifier: MIT
#include "radarsimprocess.h"

#include "processend.h"

#include <QElapsedTimer>

namespace {
constexpr int pollMs = 50;
}

QString radarSimPath()
{
    return QStringLiteral(RADARSIM_PATH);
}

namespace {

// The port after `prefix` in `line`; 0 when the line is not that one.
quint16 portAfter(const QByteArray &prefix, const QByteArray &line)
{
    if (!line.startsWith(prefix))
        return 0;
    bool ok = false;
    const uint port = line.mid(prefix.size()).toUInt(&ok);
    return ok && port <= 0xFFFF ? quint16(port) : 0;
}

} // namespace

quint16 portFromListeningLine(const QByteArray &line)
{
    return portAfter("radarsim: listening on port ", line);
}

RadarSimProcess::RadarSimProcess(const QString &program) : program(program) {}

bool RadarSimProcess::start(QStringList args)
{
    args << "--address"
         << "127.0.0.1"
         << "--port"
         << "0";
    process.start(program, args);
    if (!process.waitForStarted(simStartMs))
        return false;
    port = portFromListeningLine(nextLine());
    return port != 0;
}

quint16 RadarSimProcess::readTuioPort()
{
    return portAfter("radarsim: TUIO on UDP port ", nextLine());
}

QByteArray RadarSimProcess::nextLine()
{
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < simStartMs &&
           process.state() == QProcess::Running)
        process.waitForReadyRead(pollMs);
    return process.readLine().trimmed();
}

bool RadarSimProcess::stop(int signalNumber)
{
    ::kill(pid_t(process.processId()), signalNumber);
    return process.waitForFinished(simStartMs);
}

RadarSimProcess::~RadarSimProcess()
{
    endProcess(process);
}

RadarSimRun runRadarSim(const QStringList &args)
{
    QProcess p;
    p.start(radarSimPath(), args);
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
