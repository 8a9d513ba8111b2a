// SPDX-License-Identifier: MIT
// What the view draws: the sweep angle and the target table. The network
// client owns one and fills it; the view only reads it, and tests and
// benchmarks build one directly. Plain data, no toolkit types.
#pragma once

#include "net/wireformat.h"

// One received record.
struct Target
{
    float x;     // nominally in [0, 1]
    float y;     // nominally in [0, 1]
    float value; // the record's 16-bit value
};

struct RadarState
{
    static constexpr int capacity = wire::clientTableSize;

    double sweepAngle = 0.0; // degrees, in [0, 360]
    int targetCount = 0;     // 0 to capacity
    Target targets[capacity]; // records beyond targetCount are stale
};
