#include "sim/simconnection.h"

#include "sim/targetsource.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>

namespace {

QString describePeer(const QTcpSocket *socket)
{
    QString host = socket->peerAddress().toString();
    if (host.contains(':'))
        host = '[' + host + ']';
    return host + ':' + QString::number(socket->peerPort());
}

void logLine(const QString &line)
{
    std::fprintf(stderr, "radarsim: %s\n", qPrintable(line));
    std::fflush(stderr);
}

} // namespace

SimConnection::SimConnection(QTcpSocket *socket, TargetSource &source,
                             std::function<double()> clock, QObject *parent)
    : QObject(parent), socket(socket), source(source), clock(std::move(clock)),
      peer(describePeer(socket))
{
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &SimConnection::readRequests);
    connect(socket, &QTcpSocket::disconnected, this, &SimConnection::closed);
    logLine("client " + peer + " connected");
    // Bytes may have arrived before the signal was connected.
    if (socket->bytesAvailable() > 0)
        readRequests();
}

void SimConnection::readRequests()
{
    const QByteArray bytes = socket->readAll();
    const int requests = int(std::count(bytes.begin(), bytes.end(), requestByte));
    for (int i = 0; i < requests && !done; ++i) {
        if (socket->bytesToWrite() > maxPendingBytes) {
            logLine("client " + peer + " does not read its blocks; dropping it");
            socket->abort();
            closed();
            return;
        }
        socket->write(encoder.nextBlock(source.targetsAt(clock())));
    }
}

void SimConnection::closed()
{
    if (done)
        return;
    done = true;
    logLine(QString("client %1 closed after %2 blocks").arg(peer).arg(encoder.blocksEncoded()));
    emit finished(this);
}
