// SPDX-License-Identifier: MIT
// Paintings made smaller the way GL makes mip levels, so a texture stored
// smaller than it was painted holds what the view would have sampled.
#pragma once

#include <QImage>

// The next mip level of `painting`: half as wide and high (never below 1),
// each pixel the rounded mean of the 2 x 2 it covers, colour not
// premultiplied by alpha. Opaque paintings come back as RGB32, others as
// ARGB32.
QImage halved(const QImage &painting);
