// SPDX-License-Identifier: MIT
#include "sim/simconnection.h"

#include "net/wireformat.h"
#include "sim/replysource.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <climits>

SimConnection::SimConnection(QTcpSocket *socket, std::unique_ptr<ReplySource> replies,
                             const FaultPlan &faults, QObject *parent)
    : ServerConnection(socket, parent), replies(std::move(replies)), faults(faults),
      timer(new QTimer(this))
{
    age.start();
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, &SimConnection::resume);
    connect(client, &QTcpSocket::readyRead, this, &SimConnection::readRequests);
    connect(client, &QTcpSocket::disconnected, this, &SimConnection::closed);
    connect(client, &QTcpSocket::bytesWritten, this, [this] {
        tookBytes(client);
        serve();
    });
    logEvent(" connected");
    if (faults.dropAfter == 0) {
        // Not from the constructor: nobody listens to finished() yet.
        QTimer::singleShot(0, this,
                           [this] { hangUp("dropping the connection at once (--fault drop:0)"); });
        return;
    }
    // Bytes may have arrived before the signal was connected.
    if (client->bytesAvailable() > 0)
        readRequests();
}

SimConnection::~SimConnection() = default;

void SimConnection::readRequests()
{
    const QByteArray bytes = client->readAll();
    if (closing || done)
        return;
    unanswered += std::count(bytes.begin(), bytes.end(), wire::requestByte);
    serve();
}

void SimConnection::serve()
{
    while (!done && !closing && outgoing.isEmpty() && unanswered > 0) {
        if (holdBack(client))
            return;
        std::optional<Reply> reply = replies->nextReply();
        if (!reply) {
            hangUp(QString("no more blocks to send after %1; closing").arg(blocksSent));
            return;
        }
        --unanswered;
        outgoing = std::move(reply->block);
        if (faults.sizeDelta != 0)
            applySizeDelta(outgoing, faults.sizeDelta);
        written = 0;
        const qint64 waitMs = reply->dueMs - age.elapsed();
        if (waitMs > 0) {
            timer->start(int(std::min<qint64>(waitMs, INT_MAX)));
            return;
        }
        if (!writePieces())
            return;
    }
}

void SimConnection::stalled(const QTcpSocket *)
{
    if (done)
        return;
    logEvent(" does not read its blocks; dropping it");
    client->abort();
    closed();
}

void SimConnection::resume()
{
    if (done)
        return;
    if (closing) {
        logEvent(" does not take its last blocks; dropping it");
        client->abort();
        closed();
        return;
    }
    if (!outgoing.isEmpty() && writePieces())
        serve();
}

// Writes the block until a pause or its end; true when all of it is written.
bool SimConnection::writePieces()
{
    while (written < outgoing.size()) {
        const int end = pieceEnd();
        client->write(outgoing.constData() + written, end - written);
        written = end;
        if (written == outgoing.size())
            break;
        // Each piece its own write, so that it leaves as its own segment.
        client->flush();
        if (const int pauseMs = pauseAfter(end); pauseMs > 0) {
            timer->start(pauseMs);
            return false;
        }
    }
    outgoing.clear();
    blockSent();
    return !closing;
}

int SimConnection::pieceEnd() const
{
    const int half = outgoing.size() / 2;
    if (faults.splitGapMs)
        return written + 1;
    if (faults.delayMs && written < half)
        return half;
    return int(outgoing.size());
}

int SimConnection::pauseAfter(int end) const
{
    if (faults.delayMs && end == outgoing.size() / 2)
        return *faults.delayMs;
    return faults.splitGapMs.value_or(0);
}

void SimConnection::blockSent()
{
    ++blocksSent;
    if (faults.dropAfter && blocksSent >= *faults.dropAfter)
        hangUp(QString("dropping the connection after %1 blocks (--fault drop)").arg(blocksSent));
}

void SimConnection::hangUp(const QString &why)
{
    if (closing || done)
        return;
    closing = true;
    timer->stop();
    logEvent(": " + why);
    // Sends what is queued, then closes; disconnected() brings closed().
    client->disconnectFromHost();
    if (!done)
        timer->start(closeGraceMs);
}

void SimConnection::closed()
{
    if (done)
        return;
    done = true;
    timer->stop();
    finish(blocksSent);
}
