// The client's connection to the target server.
//
// Wire protocol (all integers big-endian unsigned, floats IEEE 754 single
// precision big-endian):
//   request:      one byte 0x02, flushed at once
//   first block:  u16 size (= 2 + 10 * count), u16 count, record[count]
//   later blocks: u16 size (= 4 + 10 * count), u16 ignored, u16 count, record[count]
//   record:       f32 x, f32 y, u16 value
// A block is decoded only once all of its size field's bytes are buffered.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

class QDataStream;

struct Target
{
    float x;     // nominally in [0, 1]
    float y;     // nominally in [0, 1]
    float value; // the record's u16 value
};

class Logic : public QObject
{
    Q_OBJECT

public:
    static const int MaxTargets = 10000;

    Logic();
    ~Logic();

    // Blocks for up to connectTimeoutMs; true when connected.
    bool connectToServer(const QString &host, quint16 port);

    // One tick: paces requests and turns the sweep. False when a request was
    // due and the connection is found lost; from then on every call is false.
    bool advance(double seconds);

    double sweepAngle() const; // degrees, in [0, 360]
    int targetCount() const;   // 0 to MaxTargets
    Target *target(int index); // index in 0 to targetCount() - 1, not checked

private slots:
    void readData();

private:
    friend class LogicTestAccess;
    static void wrapAngle(double &angle);

    Target targets[MaxTargets];
    int numTargets = 0;
    float sendTimer = 0.0f;
    QByteArray request;
    QDataStream *inStream = nullptr;
    quint16 blockSize = 0;
    QTcpSocket socket;
    bool firstBlock = true;
    double angle = 0.0;
};
