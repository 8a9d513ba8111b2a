// SPDX-License-Identifier: MIT
// Fixed-function GL lights. Each light object holds one GL light number
// (GL_LIGHT0 to GL_LIGHT7) from construction to destruction, recorded in a
// process-wide table. Colours are sent to GL when given; positions and
// directions are kept and sent on every enable(), through the modelview
// matrix current at that moment, so set up the camera first.
//
// All operations issue GL calls and need a current GL context; they run on
// the GUI thread only (the table is not synchronised). Lights are not copied
// and none of the classes has virtual operations: a derived enable() hides
// its base's and calls it.
#pragma once

#include <GL/gl.h>

// Thrown as `new LightError` by a light constructor while all MaxLights
// numbers are held; the catcher owns the object.
class LightError
{
};

constexpr int MaxLights = 8;

// Numbers held by live lights: entries 0 to lightsInUseCount - 1 are valid,
// in the order they were taken, closed up when one is given back.
extern GLenum lightsInUse[MaxLights];
extern int lightsInUseCount;

class Light
{
public:
    // Colours are 4 floats (r, g, b, a). Takes one more than the highest
    // number held, or GL_LIGHT0 when none is; the lowest free number when that
    // would pass GL_LIGHT7. Throws LightError, with the table unchanged, when
    // all MaxLights numbers are held.
    Light(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular);
    // Gives the number back and switches the GL light off.
    ~Light();

    Light(const Light &) = delete;
    Light &operator=(const Light &) = delete;

    void enable();
    void disable();

    GLenum lightNumber() const { return number; }

protected:
    GLenum number;
};

class DirectionalLight : public Light
{
public:
    // position: 3 floats, the direction towards the light (sent with w = 0).
    DirectionalLight(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular,
                     const GLfloat *position);
    void enable();

private:
    GLfloat position[4];
};

class PointLight : public Light
{
public:
    // position: 3 floats, in the coordinates of the modelview matrix current
    // at enable() (sent with w = 1).
    PointLight(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular,
               const GLfloat *position);
    void setAttenuation(GLfloat constant, GLfloat linear, GLfloat quadratic);
    void enable();

private:
    GLfloat position[4];
};

class SpotLight : public PointLight
{
public:
    // direction: 3 floats; cutoff in degrees. Note exponent comes before
    // cutoff here, though GL is sent the cutoff first.
    SpotLight(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular,
              const GLfloat *position, const GLfloat *direction, GLfloat exponent, GLfloat cutoff);
    void enable();

private:
    GLfloat direction[3];
};
