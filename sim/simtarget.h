// SPDX-License-Identifier: MIT
// One simulated target as it goes on the wire.
#pragma once

#include <QtGlobal>

struct SimTarget
{
    float x = 0.0f;    // nominally in [0, 1]; the client maps it to the table's X axis
    float y = 0.0f;    // nominally in [0, 1]; the client maps it to the table's Z axis
    quint16 value = 0; // free to the simulator: the target's 1-based number
};
