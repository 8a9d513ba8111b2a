// SPDX-License-Identifier: MIT
// What both feed bridges (TUIO, BaseStation) do to their targets before a
// block carries them, and how they complain about recurring trouble.
#pragma once

#include "sim/simtarget.h"

#include <QString>
#include <QVector>

#include <functional>

// Where a bridge's log lines go (logLine in radarsim, a list in tests).
using LogSink = std::function<void(const QString &line)>;

// Milliseconds on a clock that never goes back: what times a bridge's
// frames and silences.
using BridgeClock = std::function<qint64()>;

// `clock`, or, when it is empty, a monotonic clock started now.
BridgeClock clockOrMonotonic(BridgeClock clock);

// Mirrors of the unit square: x becomes 1 - x, y becomes 1 - y.
struct Orientation
{
    bool flipX = false;
    bool flipY = false;
};

// True at most once per interval: a complaint that may recur with every
// packet is logged once, with what has piled up since.
class Throttle
{
public:
    static constexpr qint64 warningIntervalMs = 60 * 1000;

    explicit Throttle(qint64 intervalMs = warningIntervalMs) : intervalMs(intervalMs) {}

    // `nowMs` on a clock that never goes back.
    bool due(qint64 nowMs);

private:
    qint64 intervalMs;
    qint64 lastMs = 0;
    bool ever = false;
};

// Turns a bridge's targets into what one block carries: mirrored as the
// orientation says, then, when there are more than wire::maxRecordsPerBlock,
// only those nearest the centre (0.5, 0.5), with a warning in the log at
// most once per Throttle interval.
class FrameLimiter
{
public:
    FrameLimiter(Orientation orientation, LogSink log) : orientation(orientation), log(log) {}

    QVector<SimTarget> operator()(QVector<SimTarget> targets, qint64 nowMs);

private:
    Orientation orientation;
    LogSink log;
    Throttle warning;
    qint64 cutSinceWarning = 0; // blocks cut since the last warning
};
