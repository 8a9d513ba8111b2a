// SPDX-License-Identifier: MIT
// The client draws its models unlit (texture times white), so light and
// shade are painted into the textures. All models share one light, coming
// from above, the viewer's side and the left, so that tops are brightest,
// faces towards the viewer mid-bright and faces to the right darkest.
#pragma once

#include "assets/mesh.h"

#include <QColor>
#include <QRect>

class QImage;
class QPainter;

double shadeFactor(Vec3 normal);               // 0.35 (facing away) to 1.0 (facing the light)
QColor scaled(const QColor &c, double factor); // channels clamped to 0..255
QColor shaded(const QColor &base, Vec3 normal);

// A flat face: `base` shaded for `normal`, lighter towards its top edge, with
// a dark outline and a thin highlight inside the top edge, so that the edges
// of the solid read clearly.
void paintPanel(QPainter &painter, const QRect &r, const QColor &base, Vec3 normal);

// A cylinder band as addCylinder maps it: shaded column by column for the
// normal at that angle, with a specular streak of strength `gloss` (0..1).
void paintCylinderBand(QImage &image, const QRect &band, const QColor &base, double gloss);
