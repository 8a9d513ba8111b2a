#include "sim/simserver.h"

#include "sim/replysource.h"
#include "sim/simconnection.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr double msPerSecond = 1000.0;
}

SimServer::SimServer(TargetSource &source, const FaultPlan &faults, QObject *parent)
    : SimServer(ReplyFactory{}, faults, parent)
{
    makeReplies = [this, &source] {
        return std::make_unique<EncodedReplies>(
            source, [this] { return seconds(); }, this->faults.overcount);
    };
}

SimServer::SimServer(ReplyFactory makeReplies, const FaultPlan &faults, QObject *parent)
    : QObject(parent), makeReplies(std::move(makeReplies)), faults(faults),
      server(new QTcpServer(this))
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

double SimServer::seconds() const
{
    return double(clock.elapsed()) / msPerSecond;
}

void SimServer::acceptConnections()
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        auto *connection = new SimConnection(socket, makeReplies(), faults, this);
        ++connections;
        connect(connection, &SimConnection::finished, this, &SimServer::connectionFinished);
    }
}

void SimServer::connectionFinished(SimConnection *connection)
{
    --connections;
    connection->deleteLater();
}
