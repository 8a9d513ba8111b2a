// What radarsim's two servers share, the simulator (SimServer) and the
// recorder (RecordProxy): each listens, hands every new client to a
// connection of its own kind, and counts the connections until they finish.
//
// A connection logs to standard error: one line when the client connects,
// lines for what it does on purpose, and one closing line with the number of
// blocks it carried.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

class ServerConnection : public QObject
{
    Q_OBJECT

public:
    // A peer that does not read while more keeps coming would make the send
    // buffer grow without end; past this many unsent bytes it is dropped.
    static constexpr qint64 maxPendingBytes = 16 * 1024 * 1024;
    // How long a closing connection waits for its peers to take their last
    // bytes before it drops them.
    static constexpr int closeGraceMs = 5000;

signals:
    // Emitted once, after the connection has closed and its closing line has
    // been logged.
    void finished(ServerConnection *connection);

protected:
    // Takes ownership of `client` (connected) and has it send small writes
    // at once.
    ServerConnection(QTcpSocket *client, QObject *parent);

    // More than maxPendingBytes wait to be sent to `side`.
    static bool overfull(const QTcpSocket *side);
    // Logs "client PEER" followed by `event` (" connected", ": why", ...).
    void logEvent(const QString &event) const;
    // Logs the closing line and emits finished().
    void finish(qint64 blocks);

    QTcpSocket *const client;
    const QString peer; // the client's address, as formatHostPort writes it
};

class ServerBase : public QObject
{
    Q_OBJECT

public:
    // Connections are children and go with the server; their sockets are
    // closed without the closing line.
    ~ServerBase() override;

    // Starts listening; port 0 picks a free one. False with errorString()
    // set when the port cannot be opened.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QString errorString() const;

    // Connections that have not finished yet.
    int connectionCount() const { return connections; }

protected:
    explicit ServerBase(QObject *parent);

    // The connection that serves `socket` (connected), made a child of this
    // server; it takes the socket.
    virtual ServerConnection *connectionFor(QTcpSocket *socket) = 0;

private slots:
    void acceptConnections();
    void connectionFinished(ServerConnection *connection);

private:
    QTcpServer *server;
    int connections = 0;
};
