// SPDX-License-Identifier: MIT
// A built-in 5 x 7 dot font, so the textures need no installed fonts and
// come out the same on every machine: the asset generator paints its labels
// with it and the client its live console figures. Knows digits, capitals,
// space and . : - / % > [ ]; other characters are drawn blank.
#pragma once

#include <QColor>
#include <QPointF>
#include <QString>

class QPainter;

// Draws `text` with its top-left corner at `topLeft`; each dot is a square
// of side `dot` pixels and each character advances 6 dots.
void drawPixelText(QPainter &painter, QPointF topLeft, double dot, const QString &text,
                   const QColor &colour);

// Width in pixels of `text` drawn with dots of side `dot` (no trailing gap).
double pixelTextWidth(const QString &text, double dot);

constexpr int pixelFontRows = 7;
