#include "sim/simserver.h"

#include "sim/simconnection.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr double msPerSecond = 1000.0;
}

SimServer::SimServer(TargetSource &source, QObject *parent)
    : QObject(parent), source(source), server(new QTcpServer(this))
{
    clock.start();
    connect(server, &QTcpServer::newConnection, this, &SimServer::acceptConnections);
}

// Connections are children and go with the server; their sockets are closed
// without the per-connection log line.
SimServer::~SimServer() = default;

bool SimServer::listen(const QHostAddress &address, quint16 port)
{
    return server->listen(address, port);
}

quint16 SimServer::port() const
{
    return server->serverPort();
}

QString SimServer::errorString() const
{
    return server->errorString();
}

void SimServer::acceptConnections()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        const QElapsedTimer *started = &clock;
        auto *connection = new SimConnection(
            socket, source, [started] { return double(started->elapsed()) / msPerSecond; }, this);
        ++connections;
        connect(connection, &SimConnection::finished, this, &SimServer::connectionFinished);
    }
}

void SimServer::connectionFinished(SimConnection *connection)
{
    --connections;
    connection->deleteLater();
}
