// SPDX-License-Identifier: MIT
// Solids added to a Mesh, each face mapped to its own texture region
// (pixel rectangles of the mesh's texture). Axes: +y up, +z towards the
// viewer, +x to the viewer's right.
#pragma once

#include "assets/mesh.h"

#include <QRect>

// Texture regions of a box's faces; a null rectangle leaves the face out.
// Side faces show their region upright as seen from outside; the top shows
// it with the far side (-z) up, the bottom with the near side (+z) up.
struct BoxFaces
{
    QRect top, bottom, front, back, left, right; // front +z, right +x
};

void addBox(Mesh &mesh, Vec3 min, Vec3 max, const BoxFaces &faces);

// An upright cylinder. Its side wraps `band` once: the band's left edge is
// the side facing +z, and it runs on towards +x (angle 0 to 360 degrees,
// see cylinderAngle). The caps map their disc planar into `top` / `bottom`
// (x right, -z up); a null rectangle leaves the cap out.
void addCylinder(Mesh &mesh, Vec3 baseCentre, double radius, double height, int segments,
                 const QRect &band, const QRect &top, const QRect &bottom);

// Angle in radians of the side normal (sin a, 0, cos a) at a fraction
// 0..1 across a cylinder's band.
double cylinderAngle(double bandFraction);

// A prism: the convex cross-section `section` given as (z, y) points,
// extruded along x from x0 to x1. Side face i runs from section point i to
// point i + 1 and shows sides[i] with its left edge at x0 and its top edge
// at the higher (or, if level, the farther) of its two section points; a
// null rectangle leaves the side out. The end caps map the section planar into `leftCap` (x0) and
// `rightCap` (x1).
void addPrismX(Mesh &mesh, const QVector<QPointF> &section, double x0, double x1,
               const QVector<QRect> &sides, const QRect &leftCap, const QRect &rightCap);
