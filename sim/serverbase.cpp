// SPDX-License-Identifier: MIT
#include "sim/serverbase.h"

#include "cli/commandline.h"
#include "net/hostport.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

ServerConnection::ServerConnection(QTcpSocket *client, QObject *parent)
    : QObject(parent), client(client),
      peer(formatHostPort(client->peerAddress().toString(), client->peerPort())),
      stallTimer(new QTimer(this))
{
    client->setParent(this);
    client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    client->setReadBufferSize(readBufferBytes);
    stallTimer->setSingleShot(true);
    connect(stallTimer, &QTimer::timeout, this, [this] { stalled(stalling); });
}

bool ServerConnection::holdBack(const QTcpSocket *side)
{
    if (side->bytesToWrite() <= maxPendingBytes)
        return false;
    // One side at a time is timed; the other's turn comes when it is cleared.
    if (!stallTimer->isActive()) {
        stalling = side;
        stallTimer->start(closeGraceMs);
    }
    return true;
}

void ServerConnection::tookBytes(const QTcpSocket *side)
{
    if (side == stalling) {
        stallTimer->stop();
        stalling = nullptr;
    }
}

void ServerConnection::logEvent(const QString &event) const
{
    logLine("client " + peer + event);
}

void ServerConnection::finish(qint64 blocks)
{
    logEvent(QString(" closed after %1 blocks").arg(blocks));
    emit finished(this);
}

ServerBase::ServerBase(QObject *parent)
    : QObject(parent), server(new QTcpServer(this)), retryTimer(new QTimer(this))
{
    retryTimer->setSingleShot(true);
    connect(server, &QTcpServer::newConnection, this, &ServerBase::acceptConnections);
    connect(server, &QTcpServer::acceptError, this, &ServerBase::acceptFailed);
    connect(retryTimer, &QTimer::timeout, this, &ServerBase::resumeAccepting);
}

ServerBase::~ServerBase() = default;

bool ServerBase::listen(const QHostAddress &address, quint16 port)
{
    return server->listen(address, port);
}

quint16 ServerBase::port() const
{
    return server->serverPort();
}

QHostAddress ServerBase::address() const
{
    return server->serverAddress();
}

QString ServerBase::errorString() const
{
    return server->errorString();
}

void ServerBase::limitConnections(int most, const QString &why)
{
    maxConnections = most;
    limitReason = why;
}

void ServerBase::acceptConnections()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        if (acceptPaused)
            acceptingAgain();
        if (maxConnections > 0 && connections >= maxConnections) {
            if (closedClients++ == 0)
                logLine(QString("%1 clients connected, the most this server takes; closing new "
                                "ones until one leaves (%2)")
                            .arg(connections)
                            .arg(limitReason));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ServerConnection *connection = connectionFor(socket);
        ++connections;
        connect(connection, &ServerConnection::finished, this, &ServerBase::connectionFinished);
    }
}

// The toolkit stops listening for clients after an accept that failed for
// any reason but a passing one, and never starts again by itself; trying at
// once would fail again for as long as the want lasts.
void ServerBase::acceptFailed()
{
    server->pauseAccepting();
    if (!acceptPaused) {
        acceptPaused = true;
        logLine(QString("cannot accept a client: %1; pausing new clients until one leaves, "
                        "trying again every %2 ms")
                    .arg(server->errorString())
                    .arg(acceptRetryMs));
    }
    retryTimer->start(acceptRetryMs);
}

// A failure, if it persists, comes back at once; the episode ends with the
// first client taken, however long the machine took to get there.
void ServerBase::resumeAccepting()
{
    retryTimer->stop();
    server->resumeAccepting();
}

void ServerBase::acceptingAgain()
{
    acceptPaused = false;
    logLine("accepting new clients again");
}

void ServerBase::connectionFinished(ServerConnection *connection)
{
    --connections;
    if (closedClients > 0) {
        logLine(QString("taking new clients again after closing %1").arg(closedClients));
        closedClients = 0;
    }
    // Its sockets go with it: only then are their descriptors free again.
    if (acceptPaused)
        connect(connection, &QObject::destroyed, this, &ServerBase::resumeAccepting);
    connection->deleteLater();
}
