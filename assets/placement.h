// How the client shows the generated files, so that the models can be built
// where they will appear. The client fits each model into the cube [-1, 1]
// (centred, largest size 2) and draws it translated by `offset` and scaled
// by `scale`; the blended squares lie flat above the table.
#pragma once

#include "assets/mesh.h"

struct Placement
{
    Vec3 offset;
    double scale;
};

inline constexpr Placement tablePlacement{{0.0, 0.8, -0.32}, 11.0};
inline constexpr Placement radarPlacement{{0.0, 1.1, 0.0}, 3.0};
inline constexpr Placement displayPlacement{{0.01, 1.388, 2.505}, 3.01};

// The sweep (1.44), disc (1.45) and markers (1.451) lie above this.
inline constexpr double tableTopY = 1.43;
// The disc and sweep: squares of this side centred on (discCentreX, *, discCentreZ).
inline constexpr double discSide = 5.0;
inline constexpr double discCentreX = 0.0;
inline constexpr double discCentreZ = -0.5;
// Radius of the scope's outer ring, as a fraction of the disc's side; the
// sweep reaches as far, and the table's scope bezel starts just outside.
inline constexpr double scopeRadiusFraction = 0.45;
