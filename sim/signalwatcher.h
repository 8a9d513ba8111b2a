// SPDX-License-Identifier: MIT
// Turns SIGINT and SIGTERM into a Qt signal, so the event loop can end
// cleanly: the handler only writes the signal number into a socket pair,
// which a QSocketNotifier reads on the event loop's thread.
#pragma once

#include <QObject>

class QSocketNotifier;

class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    // One watcher per process. Installs the handlers; the destructor
    // restores the default actions. False from isValid() when the socket
    // pair or a handler could not be set up.
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    bool isValid() const { return notifier != nullptr; }
    // A watched signal has come, also while the event loop was not running
    // yet (start-up reads its files before it).
    static bool signalled();

signals:
    void terminationRequested(int signalNumber);

private slots:
    void readSignal();

private:
    QSocketNotifier *notifier = nullptr;
};
