// SPDX-License-Identifier: MIT
// Test support: runs the event loop until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

constexpr int waitUntilMs = 5000;

// True once `done()` holds; false after `timeoutMs` without.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = waitUntilMs)
{
    constexpr int sliceMs = 5;
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, sliceMs);
    }
    return true;
}
