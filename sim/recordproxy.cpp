#include "sim/recordproxy.h"

#include "sim/proxyconnection.h"

#include <QTcpServer>
#include <QTcpSocket>

RecordProxy::RecordProxy(const QString &upstreamHost, quint16 upstreamPort, RecordingWriter &writer,
                         QObject *parent)
    : QObject(parent), upstreamHost(upstreamHost), upstreamPort(upstreamPort), writer(writer),
      server(new QTcpServer(this))
{
    connect(server, &QTcpServer::newConnection, this, &RecordProxy::acceptConnections);
}

RecordProxy::~RecordProxy() = default;

bool RecordProxy::listen(const QHostAddress &address, quint16 port)
{
    return server->listen(address, port);
}

quint16 RecordProxy::port() const
{
    return server->serverPort();
}

QString RecordProxy::errorString() const
{
    return server->errorString();
}

void RecordProxy::acceptConnections()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        auto *connection = new ProxyConnection(socket, upstreamHost, upstreamPort,
                                               recorded ? nullptr : &writer, this);
        recorded = true;
        ++connections;
        connect(connection, &ProxyConnection::finished, this, &RecordProxy::connectionFinished);
    }
}

void RecordProxy::connectionFinished(ProxyConnection *connection)
{
    --connections;
    connection->deleteLater();
}
