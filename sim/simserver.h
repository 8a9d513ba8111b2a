// The simulator's TCP server: accepts any number of clients and gives each
// its own connection with its own reply source.
#pragma once

#include "sim/faults.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTcpServer;
class ReplySource;
class SimConnection;
class TargetSource;

class SimServer : public QObject
{
    Q_OBJECT

public:
    // Makes the reply source of one new connection.
    using ReplyFactory = std::function<std::unique_ptr<ReplySource>()>;

    // Every connection encodes `source`'s frames on the server's clock, which
    // starts now. `source` must outlive the server. `faults` apply to every
    // connection, the overcount included.
    explicit SimServer(TargetSource &source, const FaultPlan &faults = {},
                       QObject *parent = nullptr);
    // Every connection takes its replies from a source `makeReplies` makes;
    // the overcount of `faults` is the factory's business.
    SimServer(ReplyFactory makeReplies, const FaultPlan &faults, QObject *parent = nullptr);
    ~SimServer() override;

    // Starts listening; port 0 picks a free one. False with errorString()
    // set when the port cannot be opened.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QString errorString() const;

    // Seconds since the server was made.
    double seconds() const;

    int connectionCount() const { return connections; }

private slots:
    void acceptConnections();
    void connectionFinished(SimConnection *connection);

private:
    ReplyFactory makeReplies;
    FaultPlan faults;
    QTcpServer *server;
    QElapsedTimer clock;
    int connections = 0;
};
