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
    closeTimer->setSingleShot(true);
    connect(closeTimer, &QTimer::timeout, this, &ProxyConnection::giveUp);
    connect(client, &QTcpSocket::readyRead, this, &ProxyConnection::fromClient);
    connect(client, &QTcpSocket::disconnected, this, &ProxyConnection::sideClosed);
    connect(upstream, &QTcpSocket::connected, this, &ProxyConnection::upstreamConnected);
    connect(upstream, &QTcpSocket::readyRead, this, &ProxyConnection::fromUpstream);
    connect(upstream, &QTcpSocket::disconnected, this, &ProxyConnection::sideClosed);
    connect(upstream, &QTcpSocket::errorOccurred, this, &ProxyConnection::upstreamFailed);
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

void ProxyConnection::fromClient()
{
    if (upstream->state() != QAbstractSocket::ConnectedState || closing)
        return;
    upstream->write(client->readAll());
    tooMuchQueued(upstream, "the upstream server");
}

void ProxyConnection::fromUpstream()
{
    const QByteArray bytes = upstream->readAll();
    if (closing && client->state() != QAbstractSocket::ConnectedState)
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
    tooMuchQueued(client, "the client");
}

bool ProxyConnection::tooMuchQueued(const QTcpSocket *side, const char *name)
{
    if (!overfull(side))
        return false;
    logEvent(QString(": %1 does not read; dropping both sides").arg(name));
    giveUp();
    return true;
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
