// SPDX-License-Identifier: MIT
#include "sim/sbsbridge.h"

#include "net/hostport.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

constexpr double msPerSecond = 1000.0;

} // namespace

SbsBridge::SbsBridge(const QString &host, quint16 port, const SbsFeed::Settings &settings,
                     LogSink log, Clock clock, QObject *parent)
    : QObject(parent), socket(new QTcpSocket(this)), retryTimer(new QTimer(this)),
      connectTimer(new QTimer(this)), host(host), port(port), name(formatHostPort(host, port)),
      lines(settings, log), clock(clockOrMonotonic(clock)), log(log)
{
    retryTimer->setSingleShot(true);
    connectTimer->setSingleShot(true);
    connect(retryTimer, &QTimer::timeout, this, &SbsBridge::connectNow);
    connect(connectTimer, &QTimer::timeout, this, [this] {
        retryLater(QString("no connection after %1 s").arg(connectTimeoutMs / msPerSecond));
    });
    connect(socket, &QTcpSocket::connected, this, &SbsBridge::onConnected);
    connect(socket, &QTcpSocket::readyRead, this, &SbsBridge::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, [this] { retryLater("closed"); });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
        retryLater(socket->error() == QAbstractSocket::RemoteHostClosedError
                       ? QString("closed")
                       : socket->errorString());
    });
}

SbsBridge::~SbsBridge()
{
    // No log lines and no retries while the socket goes.
    socket->disconnect(this);
}

void SbsBridge::start()
{
    connectNow();
}

void SbsBridge::connectNow()
{
    socket->abort();
    retrying = false;
    lines.restart();
    socket->connectToHost(host, port);
    connectTimer->start(connectTimeoutMs);
}

void SbsBridge::onConnected()
{
    connectTimer->stop();
    ++connectionsMade;
    log(QString("SBS feed %1 connected").arg(name));
}

void SbsBridge::onReadyRead()
{
    const QByteArray bytes = socket->readAll();
    if (bytes.isEmpty())
        return;
    retryMs = firstRetryMs;
    lines.receive(bytes.constData(), bytes.size(), clock());
}

void SbsBridge::retryLater(const QString &why)
{
    // A failure may be reported twice (an error, then the disconnection).
    if (retrying)
        return;
    retrying = true;
    connectTimer->stop();
    log(QString("SBS feed %1: %2; trying again in %3 s").arg(name, why).arg(retryMs / msPerSecond));
    retryTimer->start(retryMs);
    retryMs = std::min(retryMs * 2, maxRetryMs);
}

QVector<SimTarget> SbsBridge::targetsAt(double)
{
    return lines.targets(clock());
}
