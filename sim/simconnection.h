// One client of the simulator: answers each request byte with one block.
// Logs one line to standard error when the client connects and one, with
// the number of blocks sent, when it leaves.
#pragma once

#include "sim/blockencoder.h"

#include <QObject>
#include <QString>

#include <functional>

class QTcpSocket;
class TargetSource;

class SimConnection : public QObject
{
    Q_OBJECT

public:
    static constexpr char requestByte = 0x02;
    // A client that keeps asking without reading would make the send buffer
    // grow without end; past this many unsent bytes it is dropped.
    static constexpr qint64 maxPendingBytes = 16 * 1024 * 1024;

    // Takes ownership of `socket` (connected). `source` and `clock` (seconds
    // since the simulator started) must outlive the connection.
    SimConnection(QTcpSocket *socket, TargetSource &source, std::function<double()> clock,
                  QObject *parent = nullptr);

signals:
    // Emitted once, after the connection has closed (the client left or was
    // dropped) and its closing line has been logged.
    void finished(SimConnection *connection);

private slots:
    void readRequests();
    void closed();

private:
    QTcpSocket *socket;
    TargetSource &source;
    std::function<double()> clock;
    BlockEncoder encoder;
    QString peer;
    bool done = false;
};
