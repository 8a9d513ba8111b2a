// SPDX-License-Identifier: MIT
#include "sim/proxyconnection.h"

#include "cli/commandline.h"
#include "net/hostport.h"
#include "sim/recordingfile.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr qint64 nsPerUs = 1000;
} // namespace

ProxyConnection::ProxyConnection(QTcpSocket *client, const QString &upstreamHost,
                                 quint16 upstreamPort, RecordingWriter *writer, QObject *parent)
    : ServerConnection(client, parent), upstream(new QTcpSocket(this)),
      closeTimer(new QTimer(this)), writer(writer),
      upstreamName(formatHostPort(upstreamHost, upstreamPort))
{
    age.start();
    upstream->setReadBufferSize(readBufferBytes);
    closeTimer->setSingleShot(true);
    connect(closeTimer, &QTimer::timeout, this, &ProxyConnection::giveUp);
    connect(client, &QTcpSocket::readyRead, this, &ProxyConnection::fromClient);
    connect(client, &QTcpSocket::disconnected, this, &ProxyConnection::sideClosed);
    connect(upstream, &QTcpSocket::connected, this, &ProxyConnection::upstreamConnected);
    connect(upstream, &QTcpSocket::readyRead, this, &ProxyConnection::fromUpstream);
    connect(upstream, &QTcpSocket::disconnected, this, &ProxyConnection::sideClosed);
    connect(upstream, &QTcpSocket::errorOccurred, this, &ProxyConnection::upstreamFailed);
    connect(client, &QTcpSocket::bytesWritten, this, [this] {
        tookBytes(this->client);
        fromUpstream();
    });
    connect(upstream, &QTcpSocket::bytesWritten, this, [this] {
        tookBytes(upstream);
        fromClient();
    });
    logEvent(
        QString(" connected; forwarding to %1%2")
            .arg(upstreamName, writer ? ", recording into " + writer->path()
                                      : QString(" (not recorded: a recording holds one client)")));
    // Not from the constructor: a failure at once would finish before anyone listens.
    QTimer::singleShot(0, this, [this, upstreamHost, upstreamPort] {
        if (!closing)
            upstream->connectToHost(upstreamHost, upstreamPort);
    });
}

void ProxyConnection::upstreamConnected()
{
    upstreamReached = true;
    upstream->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Requests that came before the upstream was there.
    fromClient();
}

// While a side has too much waiting for it, what the other sends stays
// unread, so that the system's flow control slows the sender down.
void ProxyConnection::fromClient()
{
    if (upstream->state() != QAbstractSocket::ConnectedState || closing || holdBack(upstream))
        return;
    upstream->write(client->readAll());
    holdBack(upstream);
}

void ProxyConnection::fromUpstream()
{
    const bool clientGone = closing && client->state() != QAbstractSocket::ConnectedState;
    if (!clientGone && holdBack(client))
        return;
    const QByteArray bytes = upstream->readAll();
    if (clientGone)
        return;
    client->write(bytes);
    const QVector<QByteArray> complete = framer.feed(bytes.constData(), bytes.size());
    blocks += complete.size();
    if (writer) {
        const qint64 nowUs = age.nsecsElapsed() / nsPerUs;
        for (const QByteArray &block : complete) {
            if (!writer->append(nowUs, block)) {
                logLine(writer->error() + "; recording stopped, forwarding goes on");
                writer = nullptr;
                break;
            }
        }
    }
    holdBack(client);
}

void ProxyConnection::stalled(const QTcpSocket *side)
{
    if (done)
        return;
    logEvent(QString(": %1 does not read; dropping both sides")
                 .arg(side == client ? "the client" : "the upstream server"));
    giveUp();
}

void ProxyConnection::upstreamFailed()
{
    // Errors of a connected upstream end in disconnected(); this is for the
    // connection that never came about.
    if (!upstreamReached && !closing) {
        logEvent(QString(": cannot reach %1: %2").arg(upstreamName, upstream->errorString()));
        sideClosed();
    }
}

void ProxyConnection::sideClosed()
{
    if (done)
        return;
    if (!closing) {
        closing = true;
        closeTimer->start(closeGraceMs);
        // Whatever is still queued for a side goes out before it closes.
        for (QTcpSocket *side : {client, upstream})
            if (side->state() != QAbstractSocket::UnconnectedState)
                side->disconnectFromHost();
        if (done) // a side closed at once and finished in a nested call
            return;
    }
    if (client->state() != QAbstractSocket::UnconnectedState ||
        upstream->state() != QAbstractSocket::UnconnectedState)
        return;
    done = true;
    closeTimer->stop();
    if (writer && framer.pendingBytes() > 0)
        logEvent(QString(": %1 bytes of an unfinished block at the end are not recorded")
                     .arg(framer.pendingBytes()));
    finish(blocks);
}

void ProxyConnection::giveUp()
{
    if (done)
        return;
    closing = true;
    client->abort();
    upstream->abort();
    sideClosed();
}
