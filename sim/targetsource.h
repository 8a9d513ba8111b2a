// SPDX-License-Identifier: MIT
// Where the simulator's target frames come from.
//
// The server asks its source for the frame to send whenever a client
// requests one. Patterns compute frames from the time; other sources (a
// scenario file, a recording being replayed, a fault injector wrapping
// another source) can stand behind the same interface.
#pragma once

#include "sim/simtarget.h"

#include <QVector>

class TargetSource
{
public:
    virtual ~TargetSource() = default;

    // The targets at `seconds` since the simulator started (>= 0, growing
    // from call to call). Called on the server's thread only.
    virtual QVector<SimTarget> targetsAt(double seconds) = 0;
};
