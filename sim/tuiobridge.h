// SPDX-License-Identifier: MIT
// radarsim --tuio: a TUIO 1.1 tracker's targets as a target source. Listens
// for OSC over UDP (IPv4 and IPv6), decodes every datagram with liblo at
// once on Qt's event loop (OscDecoder) and follows the protocol with a
// TuioTracker; every block serves the tracker's targets at that moment.
#pragma once

#include "sim/oscdecoder.h"
#include "sim/targetsource.h"
#include "sim/tuiotracker.h"

#include <QHostAddress>
#include <QObject>

class QUdpSocket;

class TuioBridge : public QObject, public TargetSource
{
    Q_OBJECT

public:
    // Datagrams decoded before the event loop gets its turn again.
    static constexpr int maxPacketsPerRead = 64;

    using Clock = BridgeClock;

    // `clock` (default: a monotonic clock started now) times the tracker's
    // frames and silences; `log` gets the tracker's lines.
    TuioBridge(const TuioTracker::Settings &settings, LogSink log, Clock clock = {},
               QObject *parent = nullptr);
    ~TuioBridge() override;

    // Binds the UDP port (0: a free one) on `address`; QHostAddress::Any
    // takes IPv4 and IPv6. False with errorString() set when liblo cannot
    // decode or the port cannot be bound.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QString errorString() const { return error; }

    // The tracker's targets now; `seconds` (the server's clock) is not used.
    QVector<SimTarget> targetsAt(double seconds) override;

    const TuioTracker &tracker() const { return frames; }
    qint64 packets() const { return received; }       // datagrams taken in
    qint64 refusedPackets() const { return refused; } // of them, not OSC

private slots:
    void readPackets();

private:
    QUdpSocket *socket;
    OscDecoder decoder;
    TuioTracker frames;
    Clock clock;
    LogSink log;
    Throttle refusedWarning;
    QString error;
    qint64 received = 0;
    qint64 refused = 0;
};
