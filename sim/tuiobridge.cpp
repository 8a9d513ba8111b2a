// SPDX-License-Identifier: MIT
#include "sim/tuiobridge.h"

#include "net/hostport.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {

// An IPv4 sender on the dual-stack socket shows as ::ffff:a.b.c.d; name it
// as it would name itself.
TuioTracker::Sender senderOf(const QNetworkDatagram &datagram)
{
    bool mapped = false;
    const quint32 v4 = datagram.senderAddress().toIPv4Address(&mapped);
    return {mapped ? QHostAddress(v4).toString() : datagram.senderAddress().toString(),
            quint16(datagram.senderPort())};
}

} // namespace

TuioBridge::TuioBridge(const TuioTracker::Settings &settings, LogSink log, Clock clock,
                       QObject *parent)
    : QObject(parent), socket(new QUdpSocket(this)), frames(settings, log),
      clock(clockOrMonotonic(clock)), log(log)
{
    connect(socket, &QUdpSocket::readyRead, this, &TuioBridge::readPackets);
}

TuioBridge::~TuioBridge() = default;

bool TuioBridge::listen(const QHostAddress &address, quint16 port)
{
    if (!decoder.isValid()) {
        error = decoder.error();
        return false;
    }
    if (!socket->bind(address, port)) {
        error = socket->errorString();
        return false;
    }
    return true;
}

quint16 TuioBridge::port() const
{
    return socket->localPort();
}

QVector<SimTarget> TuioBridge::targetsAt(double)
{
    return frames.targets(clock());
}

void TuioBridge::readPackets()
{
    // A flood of datagrams must not keep the clients' requests waiting: the
    // rest are read when the event loop comes back (the socket stays
    // readable, so readyRead comes again).
    for (int taken = 0; taken < maxPacketsPerRead && socket->hasPendingDatagrams(); ++taken) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        ++received;
        const TuioTracker::Sender sender = senderOf(datagram);
        const qint64 nowMs = clock();
        const OscPacketHandler handler{
            [&] { frames.bundle(sender, nowMs); },
            [&](const OscMessage &m) { frames.message(sender, m, nowMs); }};
        if (!decoder.decode(datagram.data(), handler)) {
            ++refused;
            if (refusedWarning.due(nowMs))
                log(QString(
                        "ignored %1 datagram(s) so far that are no OSC packets, the last from %2")
                        .arg(refused)
                        .arg(formatHostPort(sender.host, sender.port)));
        }
    }
}
