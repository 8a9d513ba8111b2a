// SPDX-License-Identifier: MIT
#include "probe/probesession.h"

#include "net/wireformat.h"

namespace {
constexpr qint64 nsPerUs = 1000;
constexpr qint64 usPerMs = 1000;
constexpr double usPerSecond = 1e6;
} // namespace

ProbeSession::ProbeSession(const ProbeOptions &options, QObject *parent)
    : QObject(parent), options(options),
      check(ProbeLimits{qint64(options.maxLatencyMs) * usPerMs, options.allowOutside}),
      runUs(qint64(options.seconds * usPerSecond))
{
    ticker.setInterval(requestIntervalMs);
    ticker.setTimerType(Qt::PreciseTimer);
    connectTimer.setSingleShot(true);
    connect(&ticker, &QTimer::timeout, this, &ProbeSession::tick);
    connect(&connectTimer, &QTimer::timeout, this, &ProbeSession::connectTimedOut);
    connect(&socket, &QTcpSocket::connected, this, &ProbeSession::connected);
    connect(&socket, &QTcpSocket::readyRead, this, &ProbeSession::readBytes);
    connect(&socket, &QTcpSocket::disconnected, this, &ProbeSession::disconnected);
    connect(&socket, &QTcpSocket::errorOccurred, this, &ProbeSession::socketError);
}

void ProbeSession::start()
{
    connectTimer.start(connectTimeoutMs);
    socket.connectToHost(options.host, options.port);
}

qint64 ProbeSession::nowUs() const
{
    return clock.nsecsElapsed() / nsPerUs;
}

void ProbeSession::connected()
{
    connectTimer.stop();
    wasConnected = true;
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    clock.start();
    ticker.start();
}

void ProbeSession::tick()
{
    if (ended)
        return;
    const qint64 now = nowUs();
    if (now >= runUs) {
        if (!check.awaitingReply() ||
            now - check.oldestRequestUs() > options.maxLatencyMs * usPerMs)
            end();
        return;
    }
    if (check.awaitingReply())
        return;
    check.requestSent(now);
    socket.write(&wire::requestByte, 1);
    socket.flush();
}

void ProbeSession::readBytes()
{
    if (ended)
        return;
    const QByteArray bytes = socket.readAll();
    check.bytesArrived(bytes.constData(), bytes.size(), nowUs());
    if (nowUs() >= runUs && !check.awaitingReply())
        end();
}

void ProbeSession::disconnected()
{
    if (ended || !wasConnected)
        return;
    readBytes();
    if (ended)
        return;
    check.serverClosed();
    end();
}

void ProbeSession::socketError()
{
    if (wasConnected) {
        // A reset while connected: what arrived counts, then the hang-up.
        if (socket.state() == QAbstractSocket::UnconnectedState)
            disconnected();
        return;
    }
    if (ended)
        return;
    ended = true;
    connectTimer.stop();
    error = socket.errorString();
    socket.abort();
    emit finished();
}

void ProbeSession::connectTimedOut()
{
    if (wasConnected || ended)
        return;
    ended = true;
    error = QString("no connection within %1 ms").arg(connectTimeoutMs);
    socket.abort();
    emit finished();
}

void ProbeSession::end()
{
    ended = true;
    ticker.stop();
    check.finish(nowUs());
    socket.abort();
    emit finished();
}
