// SPDX-License-Identifier: MIT
// The client's connection to the target server: request pacing, decoding of
// the reply blocks into a fixed target table, and the sweep angle. The wire
// format is in wireformat.h; BlockReceiver takes the socket's bytes and keeps
// the newest complete block in the table.
#pragma once

#include "net/blockreceiver.h"
#include "net/linkstate.h"
#include "net/radarstate.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpSocket>

class Logic : public QObject
{
    Q_OBJECT

public:
    static const int MaxTargets = RadarState::capacity;
    // The socket buffers at most this many received bytes, and so does the
    // receiver behind it; more waits in the kernel. Holds the longest block
    // the decoder can wait for, so every block can complete.
    static const qint64 readBufferBytes = BlockReceiver::bufferBytes;

    Logic();
    ~Logic();

    // Blocks for up to 1000 ms; true when connected. Names the server in
    // the link record either way and starts measuring the request rate.
    bool connectToServer(const QString &host, quint16 port);

    // One tick, given the seconds since the previous one: sends one request
    // once more than 0.04 s have accumulated, and turns the sweep by 80
    // degrees per second; the link record follows. False when a request was
    // due and the connection is found lost; the call then changes nothing
    // but the link record (waiting, no requests), so every later call that
    // is due is false too.
    bool advance(double seconds);

    double sweepAngle() const; // degrees, in [0, 360]
    int targetCount() const;   // 0 to MaxTargets
    Target *target(int index); // index in 0 to targetCount() - 1, not checked

    // The angle and table above as one record, for the view.
    const RadarState &state() const { return drawn; }
    // The link to the server as the console shows it.
    const LinkState &link() const { return linkState; }

private slots:
    // Shows the newest complete block received: however many blocks came
    // together, the table holds the last; an incomplete one waits.
    void readData();

private:
    // Folds into [0, 360]; 360 stays 360, NaN and infinities stay as they are.
    static void wrapAngle(double &angle);
    void updateLinkStatus();
    void measureRequestRate();

    RadarState drawn;
    LinkState linkState;
    bool replied = false;     // a block has been decoded on this connection
    double sinceReply = 0.0;  // seconds of ticks since the newest block
    int requestsMeasured = 0; // written since rateClock started
    QElapsedTimer rateClock;  // the current measuring interval
    float sendTimer = 0.0f;   // seconds since the last request
    QByteArray request;
    QTcpSocket socket;
    BlockReceiver receiver;
};
