// SPDX-License-Identifier: MIT
// Primitive shapes of unit size centred on the origin, drawn in immediate
// mode at the current modelview matrix with the current colour and texture.
// None binds a texture, sets a colour or changes other GL state, and each
// leaves the matrix as it found it. They need a current GL context.
#pragma once

#include <GL/gl.h>

// Square of side 1 in the z = 0 plane facing +Z; texture s grows towards -x
// and t towards -y, each from 0 to 1.
void drawQuad();
// Disk of radius 0.5 in the z = 0 plane facing +Z.
void drawDisk(int slices);
// Cube of side 1 made of six drawQuad faces, each facing outwards.
void drawCube();
// Sphere of radius 0.5; slices is used for stacks too.
void drawSphere(int slices);
// Cone along +Z: base of radius 0.5 at z = -0.5, closed by a disk facing -Z,
// apex at z = +0.5; slices is used for stacks too.
void drawCone(int slices);

// Writes to out (16 floats, column-major as glMultMatrixf takes them) the
// matrix that flattens geometry onto the plane through point (3 floats) with
// normal (3 floats, any length), as cast from light (4 floats: w = 1 a point
// light, w = 0 a direction). Issues no GL call.
void shadowMatrix(GLfloat *out, const GLfloat *normal, const GLfloat *point, const GLfloat *light);
