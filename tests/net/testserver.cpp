// SPDX-License-Identifier: MIT
#include "testserver.h"

#include <QHostAddress>
#include <QTest>

TestServer::TestServer(quint16 port)
{
    server.listen(QHostAddress::LocalHost, port);
}

TestServer::~TestServer()
{
    close();
}

bool TestServer::waitForClient(int timeoutMs)
{
    if (!server.hasPendingConnections() && !server.waitForNewConnection(timeoutMs))
        return false;
    dropClient();
    client = server.nextPendingConnection();
    ++accepted;
    data.clear();
    return client != nullptr;
}

void TestServer::send(const QByteArray &bytes)
{
    if (!client)
        return;
    client->write(bytes);
    client->flush();
}

QByteArray TestServer::received()
{
    if (client)
        data += client->readAll();
    return data;
}

bool TestServer::waitForReceived(int byteCount, int timeoutMs)
{
    return QTest::qWaitFor([&] { return received().size() >= byteCount; }, timeoutMs);
}

void TestServer::dropClient()
{
    if (!client)
        return;
    client->abort();
    delete client;
    client = nullptr;
}

void TestServer::close()
{
    dropClient();
    server.close();
}
