#include "sim/serverbase.h"

#include "cli/commandline.h"
#include "net/hostport.h"

#include <QTcpServer>
#include <QTcpSocket>

ServerConnection::ServerConnection(QTcpSocket *client, QObject *parent)
    : QObject(parent), client(client),
      peer(formatHostPort(client->peerAddress().toString(), client->peerPort()))
{
    client->setParent(this);
    client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

bool ServerConnection::overfull(const QTcpSocket *side)
{
    return side->bytesToWrite() > maxPendingBytes;
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

ServerBase::ServerBase(QObject *parent) : QObject(parent), server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, &ServerBase::acceptConnections);
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

QString ServerBase::errorString() const
{
    return server->errorString();
}

void ServerBase::acceptConnections()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        ServerConnection *connection = connectionFor(socket);
        ++connections;
        connect(connection, &ServerConnection::finished, this, &ServerBase::connectionFinished);
    }
}

void ServerBase::connectionFinished(ServerConnection *connection)
{
    --connections;
    connection->deleteLater();
}
