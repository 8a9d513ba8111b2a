// SPDX-License-Identifier: MIT
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
class QTimer;

class ServerConnection : public QObject
{
    Q_OBJECT

public:
    // Once more than this many bytes wait to be sent to a peer, nothing more
    // is made or forwarded for it until it has taken some: a peer that does
    // not read holds at most this much and one block or read more.
    static constexpr qint64 maxPendingBytes = 1024 * 1024;
    // The most a connection takes from a peer's socket at a time; the
    // system's buffers hold the rest until it has been dealt with.
    static constexpr qint64 readBufferBytes = 64 * 1024;
    // How long a peer may take none of the bytes waiting for it, when more
    // than maxPendingBytes wait or the connection is closing, before it is
    // dropped.
    static constexpr int closeGraceMs = 5000;

signals:
    // Emitted once, after the connection has closed and its closing line has
    // been logged.
    void finished(ServerConnection *connection);

protected:
    // Takes ownership of `client` (connected), has it send small writes at
    // once and read at most readBufferBytes ahead.
    ServerConnection(QTcpSocket *client, QObject *parent);

    // True when more than maxPendingBytes wait to be sent to `side`: the
    // caller holds back what it has for it and goes on when the side has
    // taken some (its bytesWritten(), which must call tookBytes). Unless it
    // does within closeGraceMs, stalled() is called.
    bool holdBack(const QTcpSocket *side);
    void tookBytes(const QTcpSocket *side);
    // `side`, held back for, has taken nothing for closeGraceMs.
    virtual void stalled(const QTcpSocket *side) = 0;
    // Logs "client PEER" followed by `event` (" connected", ": why", ...).
    void logEvent(const QString &event) const;
    // Logs the closing line and emits finished().
    void finish(qint64 blocks);

    QTcpSocket *const client;
    const QString peer; // the client's address, as formatHostPort writes it

private:
    QTimer *stallTimer;
    const QTcpSocket *stalling = nullptr; // the side stallTimer times
};

// When the system cannot accept a client (out of file descriptors, say),
// the server pauses accepting, with one log line for the episode, and tries
// again once a connection has gone or after acceptRetryMs; the client waits
// in the listening queue meanwhile. The episode ends, with a line, when no
// accept has failed for acceptRetryMs. A server limited to a number of
// connections closes every client beyond it at once, again with one line
// for the episode and one when a connection has gone.
class ServerBase : public QObject
{
    Q_OBJECT

public:
    static constexpr int acceptRetryMs = 250;

    // Connections are children and go with the server; their sockets are
    // closed without the closing line.
    ~ServerBase() override;

    // Starts listening; port 0 picks a free one. False with errorString()
    // set when the port cannot be opened.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QHostAddress address() const;
    QString errorString() const;

    // Why the listening server must not serve, one line; empty when it may.
    virtual QString refusal() const { return {}; }

    // Connections that have not finished yet.
    int connectionCount() const { return connections; }

protected:
    explicit ServerBase(QObject *parent);

    // Serves at most `most` connections at once; `why` ends the log line of
    // an episode of closed clients.
    void limitConnections(int most, const QString &why);

    // The connection that serves `socket` (connected), made a child of this
    // server; it takes the socket.
    virtual ServerConnection *connectionFor(QTcpSocket *socket) = 0;

private slots:
    void acceptConnections();
    void acceptFailed();
    void resumeAccepting();
    void connectionFinished(ServerConnection *connection);

private:
    QTcpServer *server;
    QTimer *retryTimer; // the next try after a failed accept
    int connections = 0;
    int maxConnections = 0; // 0: no limit
    QString limitReason;
    bool acceptPaused = false; // an episode of failed accepts

    void acceptingAgain();
    qint64 closedClients = 0;  // in an episode of too many connections
};
