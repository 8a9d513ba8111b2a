// SPDX-License-Identifier: MIT
// One run of the probe on a real connection: connects like the client,
// sends request bytes at the client's pace with at most one unanswered, feeds
// everything the server sends to a ProbeChecker and stops after the run's
// length, or when the server hangs up.
//
// At the end of the run no new request goes out; a reply still owed is
// waited for until it is later than the latency limit, so that the last
// request is judged like every other.
#pragma once

#include "probe/probechecker.h"
#include "probe/probeoptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

class ProbeSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int requestIntervalMs = 40;  // the client's pace
    static constexpr int connectTimeoutMs = 1000; // as long as the client waits

    explicit ProbeSession(const ProbeOptions &options, QObject *parent = nullptr);

    // Starts connecting; finished() follows, whatever happens.
    void start();

    // False when the server could not be reached; then errorString() says why
    // and the checker saw nothing.
    bool reached() const { return wasConnected; }
    QString errorString() const { return error; }
    const ProbeChecker &checker() const { return check; }

signals:
    void finished();

private slots:
    void connected();
    void tick();
    void readBytes();
    void disconnected();
    void socketError();
    void connectTimedOut();

private:
    qint64 nowUs() const;
    void end();

    ProbeOptions options;
    ProbeChecker check;
    QTcpSocket socket;
    QTimer ticker;
    QTimer connectTimer;
    QElapsedTimer clock;
    qint64 runUs = 0;
    QString error;
    bool wasConnected = false;
    bool ended = false;
};
