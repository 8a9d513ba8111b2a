// SPDX-License-Identifier: MIT
// radarsim --sbs: the aircraft of a BaseStation (SBS-1) feed as a target
// source. Connects to the receiver as a TCP client and follows its lines
// with an SbsFeed; every block serves the feed's aircraft at that moment.
//
// When the connection cannot be made, is refused or breaks, the bridge logs
// it and tries again after a pause that starts at firstRetryMs and doubles
// up to maxRetryMs; a connection that delivers data starts the pauses over.
// An attempt that has not connected after connectTimeoutMs is abandoned.
#pragma once

#include "sim/sbsfeed.h"
#include "sim/targetsource.h"

#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

class SbsBridge : public QObject, public TargetSource
{
    Q_OBJECT

public:
    static constexpr int firstRetryMs = 1000;
    static constexpr int maxRetryMs = 30 * 1000;
    static constexpr int connectTimeoutMs = 10 * 1000;

    using Clock = BridgeClock;

    // `clock` (default: a monotonic clock started now) times the aircraft;
    // `log` gets the connection's and the feed's lines.
    SbsBridge(const QString &host, quint16 port, const SbsFeed::Settings &settings, LogSink log,
              Clock clock = {}, QObject *parent = nullptr);
    ~SbsBridge() override;

    // Starts connecting; the bridge keeps trying for as long as it lives.
    void start();

    // The feed's aircraft now; `seconds` (the server's clock) is not used.
    QVector<SimTarget> targetsAt(double seconds) override;

    const SbsFeed &feed() const { return lines; }
    qint64 connections() const { return connectionsMade; } // so far

private slots:
    void onConnected();
    void onReadyRead();
    void connectNow();

private:
    void retryLater(const QString &why);

    QTcpSocket *socket;
    QTimer *retryTimer;   // the pause before the next attempt
    QTimer *connectTimer; // the attempt's deadline
    QString host;
    quint16 port;
    QString name; // host:port
    SbsFeed lines;
    Clock clock;
    LogSink log;
    int retryMs = firstRetryMs;
    qint64 connectionsMade = 0;
    bool retrying = false; // the pause before the next attempt has begun
};
