// SPDX-License-Identifier: MIT
// A TCP server on 127.0.0.1 for tests: accepts one client at a time, records
// what it sends and writes blocks to it. Runs on the caller's thread; the
// waits process events and are bounded in time.
#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

class TestServer
{
public:
    static const int defaultWaitMs = 10000;

    // Listens on 127.0.0.1 at the given port, or at a free one when 0.
    explicit TestServer(quint16 port = 0);
    ~TestServer();

    bool isListening() const { return server.isListening(); }
    quint16 port() const { return server.serverPort(); }

    // Takes the next pending connection as the client; false when none came.
    bool waitForClient(int timeoutMs = defaultWaitMs);
    int connectionsAccepted() const { return accepted; }

    // Writes to the client and flushes at once.
    void send(const QByteArray &bytes);
    // Everything the client has sent so far.
    QByteArray received();
    bool waitForReceived(int byteCount, int timeoutMs = defaultWaitMs);

    // Closes the client's connection; the server keeps listening.
    void dropClient();
    // Stops listening (the port becomes free) and drops the client.
    void close();

private:
    QTcpServer server;
    QTcpSocket *client = nullptr;
    QByteArray data;
    int accepted = 0;
};
