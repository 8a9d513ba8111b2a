// SPDX-License-Identifier: MIT
// One client of the simulator: answers each request byte with one block from
// its reply source, in order, never before the block's due time. While a
// block is on its way, further requests wait their turn.
//
// Faults (see faults.h) shape how the blocks are written: split and delay
// pause inside a block, drop closes the connection after N blocks, badsize
// changes every size field. When the reply source runs out, the connection
// is closed once the blocks sent so far are out.
//
// Once more than maxPendingBytes wait to be sent, the next request is
// answered when the client has taken some; a client that takes nothing for
// closeGraceMs meanwhile does not read and is dropped (serverbase.h).
//
// Logs as every server connection does (serverbase.h): the closing line
// counts the blocks sent, and hanging up on purpose has its own line.
#pragma once

#include "sim/faults.h"
#include "sim/serverbase.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <memory>

class QTcpSocket;
class QTimer;
class ReplySource;

class SimConnection : public ServerConnection
{
    Q_OBJECT

public:
    // Takes ownership of `socket` (connected) and `replies`. The connection's
    // clock, which due times count from, starts now.
    SimConnection(QTcpSocket *socket, std::unique_ptr<ReplySource> replies,
                  const FaultPlan &faults = {}, QObject *parent = nullptr);
    ~SimConnection() override;

protected:
    void stalled(const QTcpSocket *side) override;

private slots:
    void readRequests();
    void closed();
    void resume();

private:
    void serve();
    bool writePieces();
    int pieceEnd() const;
    int pauseAfter(int end) const;
    void blockSent();
    void hangUp(const QString &why);

    std::unique_ptr<ReplySource> replies;
    FaultPlan faults;
    QTimer *timer; // a due time or a pause inside a block
    QElapsedTimer age;
    qint64 unanswered = 0; // requests waiting for their block
    QByteArray outgoing;   // the block on its way; empty when idle
    int written = 0;       // bytes of `outgoing` handed to the socket
    qint64 blocksSent = 0;
    bool closing = false; // hung up on purpose, waiting for the close
    bool done = false;
};
