// SPDX-License-Identifier: MIT
#include "bench/blockserver.h"

#include "net/wireformat.h"
#include "sim/blockencoder.h"

#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QVector>

QVector<SimTarget> benchTargets(int count)
{
    QVector<SimTarget> targets(count);
    quint32 state = 12345;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u; // LCG
        targets[i].x = float(state >> 8) / float(1 << 24);
        state = state * 1664525u + 1013904223u;
        targets[i].y = float(state >> 8) / float(1 << 24);
        targets[i].value = quint16(i + 1);
    }
    return targets;
}

namespace {

void stampSequence(QByteArray &block, bool firstLayout, quint32 sequence)
{
    auto *bytes = reinterpret_cast<unsigned char *>(block.data());
    wire::writeF32(bytes + wire::recordsOffset(firstLayout) + wire::recordXOffset, float(sequence));
}

} // namespace

class BlockServerWorker : public QObject
{
    Q_OBJECT

public:
    BlockServerWorker(int targets, QSemaphore *ready, quint16 *port)
        : targets(benchTargets(targets)), ready(ready), port(port)
    {
    }

public slots:
    void start()
    {
        server = new QTcpServer(this);
        connect(server, &QTcpServer::newConnection, this, &BlockServerWorker::accept);
        if (server->listen(QHostAddress::LocalHost, 0))
            *port = server->serverPort();
        ready->release();
    }

private slots:
    void accept()
    {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            // Each connection starts with the first layout.
            BlockEncoder encoder;
            Connection c;
            c.first = encoder.nextBlock(targets);
            c.later = encoder.nextBlock(targets);
            connections.insert(socket, c);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                connections.remove(socket);
                socket->deleteLater();
            });
        }
    }

private:
    struct Connection
    {
        QByteArray first;
        QByteArray later;
        quint32 sent = 0;
    };

    void answer(QTcpSocket *socket)
    {
        Connection &c = connections[socket];
        const QByteArray requests = socket->readAll();
        for (char byte : requests) {
            if (byte != wire::requestByte)
                continue;
            ++c.sent;
            const bool firstLayout = c.sent == 1;
            QByteArray &block = firstLayout ? c.first : c.later;
            stampSequence(block, firstLayout, c.sent);
            socket->write(block);
        }
        socket->flush();
    }

    QVector<SimTarget> targets;
    QSemaphore *ready;
    quint16 *port;
    QTcpServer *server = nullptr;
    QHash<QTcpSocket *, Connection> connections;
};

BlockServer::BlockServer(int targets)
{
    worker = new BlockServerWorker(targets, &ready, &listeningPort);
    worker->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
    thread.start();
    QMetaObject::invokeMethod(worker, "start", Qt::QueuedConnection);
    if (!ready.tryAcquire(1, startTimeoutMs))
        listeningPort = 0;
}

BlockServer::~BlockServer()
{
    thread.quit();
    thread.wait();
}

#include "blockserver.moc"
