// The client's connection to the target server: request pacing, decoding of
// the reply blocks into a fixed target table, and the sweep angle.
//
// Wire protocol (all integers big-endian unsigned, floats IEEE 754 single
// precision big-endian):
//   request:      one byte 0x02, flushed at once
//   first block:  u16 size (= 2 + 10 * count), u16 count, record[count]
//   later blocks: u16 size (= 4 + 10 * count), u16 ignored, u16 count, record[count]
//   record:       f32 x, f32 y, u16 value
// A block is decoded only once all of its size field's bytes are buffered;
// the decoding itself lives in BlockDecoder.
#pragma once

#include "net/blockdecoder.h"
#include "net/radarstate.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

class Logic : public QObject
{
    Q_OBJECT

public:
    static const int MaxTargets = RadarState::capacity;
    // The socket buffers at most this many received bytes; more waits in
    // the kernel. Holds the longest block the decoder can wait for (a count
    // of 65535 with all its records), so every block can complete.
    static const qint64 readBufferBytes = 1 << 20;

    Logic();
    ~Logic();

    // Blocks for up to 1000 ms; true when connected.
    bool connectToServer(const QString &host, quint16 port);

    // One tick, given the seconds since the previous one: sends one request
    // once more than 0.04 s have accumulated, and turns the sweep by 80
    // degrees per second. False when a request was due and the connection
    // is found lost; the call then changes nothing, so every later call that
    // is due is false too.
    bool advance(double seconds);

    double sweepAngle() const; // degrees, in [0, 360]
    int targetCount() const;   // 0 to MaxTargets
    Target *target(int index); // index in 0 to targetCount() - 1, not checked

    // The angle and table above as one record, for the view.
    const RadarState &state() const { return drawn; }

private slots:
    // Decodes at most one buffered block into the table.
    void readData();

private:
    friend class LogicTestAccess;

    // Folds into [0, 360]; 360 stays 360, NaN and infinities stay as they are.
    static void wrapAngle(double &angle);

    RadarState drawn;
    float sendTimer = 0.0f; // seconds since the last request
    QByteArray request;
    QTcpSocket socket;
    BlockDecoder decoder{&socket}; // declared after socket: reads from it
};
