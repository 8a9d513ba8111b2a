// SPDX-License-Identifier: MIT
#include "render/shapes.h"

#include <GL/glu.h>

namespace {

constexpr GLfloat halfSide = 0.5f;
constexpr GLdouble radius = 0.5;
constexpr GLdouble innerRadius = 0.0;
constexpr GLdouble coneHeight = 1.0;
constexpr GLdouble apexRadius = 0.0;
constexpr GLint diskLoops = 1;
constexpr GLfloat halfTurn = 180.0f;

struct QuadCorner
{
    GLfloat s, t, x, y;
};

constexpr QuadCorner quadCorners[4] = {
    {0.0f, 0.0f, halfSide, halfSide},
    {1.0f, 0.0f, -halfSide, halfSide},
    {1.0f, 1.0f, -halfSide, -halfSide},
    {0.0f, 1.0f, halfSide, -halfSide},
};

struct CubeFace
{
    GLfloat angle, x, y, z; // angle 0: no rotation
};

// +Z, +X, -Z, -X, +Y, -Y
constexpr CubeFace cubeFaces[6] = {
    {0.0f, 0.0f, 0.0f, 0.0f},   {90.0f, 0.0f, 1.0f, 0.0f},  {180.0f, 0.0f, 1.0f, 0.0f},
    {270.0f, 0.0f, 1.0f, 0.0f}, {-90.0f, 1.0f, 0.0f, 0.0f}, {90.0f, 1.0f, 0.0f, 0.0f},
};

GLUquadric *newQuadric()
{
    GLUquadric *quadric = gluNewQuadric();
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricTexture(quadric, GL_TRUE);
    return quadric;
}

} // namespace

void drawQuad()
{
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (const QuadCorner &c : quadCorners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, 0.0f);
    }
    glEnd();
}

void drawDisk(int slices)
{
    GLUquadric *quadric = newQuadric();
    gluDisk(quadric, innerRadius, radius, slices, diskLoops);
    gluDeleteQuadric(quadric);
}

void drawCube()
{
    for (const CubeFace &f : cubeFaces) {
        glPushMatrix();
        if (f.angle != 0.0f)
            glRotatef(f.angle, f.x, f.y, f.z);
        glTranslatef(0.0f, 0.0f, halfSide);
        drawQuad();
        glPopMatrix();
    }
}

void drawSphere(int slices)
{
    GLUquadric *quadric = newQuadric();
    gluSphere(quadric, radius, slices, slices);
    gluDeleteQuadric(quadric);
}

void drawCone(int slices)
{
    GLUquadric *quadric = newQuadric();
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -halfSide);
    gluCylinder(quadric, radius, apexRadius, coneHeight, slices, slices);
    glRotatef(halfTurn, 1.0f, 0.0f, 0.0f);
    drawDisk(slices);
    glPopMatrix();
    gluDeleteQuadric(quadric);
}

void shadowMatrix(GLfloat *out, const GLfloat *normal, const GLfloat *point, const GLfloat *light)
{
    const GLfloat plane[4] = {
        normal[0], normal[1], normal[2],
        -(normal[0] * point[0] + normal[1] * point[1] + normal[2] * point[2])};
    const GLfloat dot =
        plane[0] * light[0] + plane[1] * light[1] + plane[2] * light[2] + plane[3] * light[3];

    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i)
            out[4 * j + i] = (i == j ? dot : 0.0f) - light[i] * plane[j];
    }
}
