// SPDX-License-Identifier: MIT
#include "sim/bridgeframe.h"

#include "net/wireformat.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>

BridgeClock clockOrMonotonic(BridgeClock clock)
{
    if (clock)
        return clock;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    return [started] { return started->elapsed(); };
}

bool Throttle::due(qint64 nowMs)
{
    if (ever && nowMs - lastMs < intervalMs)
        return false;
    ever = true;
    lastMs = nowMs;
    return true;
}

QVector<SimTarget> FrameLimiter::operator()(QVector<SimTarget> targets, qint64 nowMs)
{
    for (SimTarget &t : targets) {
        if (orientation.flipX)
            t.x = 1.0f - t.x;
        if (orientation.flipY)
            t.y = 1.0f - t.y;
    }
    if (targets.size() <= wire::maxRecordsPerBlock)
        return targets;

    const int seen = targets.size();
    auto fromCentre = [](const SimTarget &t) {
        const float dx = t.x - 0.5f, dy = t.y - 0.5f;
        return dx * dx + dy * dy;
    };
    // Stable, so that targets at equal distances keep their feed's order
    // from one block to the next.
    std::stable_sort(targets.begin(), targets.end(), [&](const SimTarget &a, const SimTarget &b) {
        return fromCentre(a) < fromCentre(b);
    });
    targets.resize(wire::maxRecordsPerBlock);
    ++cutSinceWarning;
    if (warning.due(nowMs)) {
        log(QString("%1 targets, more than a block carries: serving the %2 nearest the centre "
                    "(%3 block(s) cut since the last warning)")
                .arg(seen)
                .arg(wire::maxRecordsPerBlock)
                .arg(cutSinceWarning));
        cutSinceWarning = 0;
    }
    return targets;
}
