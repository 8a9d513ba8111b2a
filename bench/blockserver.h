// SPDX-License-Identifier: MIT
// A target server on 127.0.0.1 for the wire benchmarks, on a thread of its
// own so that the client's thread measures only the client. It answers
// every request byte with one block of a fixed number of targets,
// encoded by the simulator's BlockEncoder (first layout first, then the
// later layout). The x of each block's first record carries the block's
// sequence number (1, 2, ...), so the client side can tell when the block
// it asked for has been decoded.
#pragma once

#include <QObject>
#include <QSemaphore>
#include <QThread>

#include "sim/simtarget.h"

#include <QVector>

class BlockServerWorker;

// The targets every block carries (before the first record's x is replaced
// by the sequence number): a deterministic spread over the unit square.
QVector<SimTarget> benchTargets(int count);

class BlockServer
{
public:
    static const int startTimeoutMs = 5000;

    explicit BlockServer(int targets);
    ~BlockServer(); // stops the thread

    BlockServer(const BlockServer &) = delete;
    BlockServer &operator=(const BlockServer &) = delete;

    // 0 when listening failed.
    quint16 port() const { return listeningPort; }

private:
    QSemaphore ready; // released by the worker once it listens (or failed to)
    quint16 listeningPort = 0;
    QThread thread;
    BlockServerWorker *worker; // lives on thread, deleted when it finishes
};
