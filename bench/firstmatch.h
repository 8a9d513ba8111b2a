// SPDX-License-Identifier: MIT
// The reference weld: the plain first-match scan, comparing each vector with
// every kept one in order. Quadratic, so only for checking small sets.
#pragma once

#include <GL/gl.h>

#include <vector>

struct FirstMatchResult
{
    std::vector<GLuint> map;   // map[i]: 1-based kept vector for input vector i (1-based)
    std::vector<GLfloat> kept; // 3 per kept vector, kept vector k (1-based) at 3 * (k - 1)
};

// positions: 3 per vector, vector i (1-based) at 3 * (i - 1).
FirstMatchResult firstMatchWeld(const std::vector<GLfloat> &positions, GLfloat epsilon);
