// SPDX-License-Identifier: MIT
#include "render/light.h"

GLenum lightsInUse[MaxLights] = {};
int lightsInUseCount = 0;

namespace {

constexpr GLenum lastLight = GL_LIGHT0 + MaxLights - 1;
constexpr GLfloat directionalW = 0.0f;
constexpr GLfloat pointW = 1.0f;

bool isHeld(GLenum candidate)
{
    for (int i = 0; i < lightsInUseCount; ++i) {
        if (lightsInUse[i] == candidate)
            return true;
    }
    return false;
}

GLenum takeNumber()
{
    if (lightsInUseCount > MaxLights - 1)
        throw new LightError;

    GLenum candidate = GL_LIGHT0;
    for (int i = 0; i < lightsInUseCount; ++i) {
        if (lightsInUse[i] >= candidate)
            candidate = lightsInUse[i] + 1;
    }
    // Holding GL_LIGHT7 with lower numbers given back would step past the
    // last GL light; fall back to the lowest free one, which exists since
    // fewer than MaxLights are held.
    if (candidate > lastLight) {
        candidate = GL_LIGHT0;
        while (isHeld(candidate))
            ++candidate;
    }

    lightsInUse[lightsInUseCount] = candidate;
    ++lightsInUseCount;
    return candidate;
}

void giveBack(GLenum number)
{
    int found = 0;
    while (found < lightsInUseCount && lightsInUse[found] != number)
        ++found;
    // A number that is not held leaves the table as it is.
    if (found == lightsInUseCount)
        return;
    for (int i = found; i + 1 < lightsInUseCount; ++i)
        lightsInUse[i] = lightsInUse[i + 1];
    --lightsInUseCount;
}

void copyPosition(GLfloat *to, const GLfloat *from, GLfloat w)
{
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
    to[3] = w;
}

} // namespace

Light::Light(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular)
    : number(takeNumber())
{
    glLightfv(number, GL_AMBIENT, ambient);
    glLightfv(number, GL_DIFFUSE, diffuse);
    glLightfv(number, GL_SPECULAR, specular);
}

Light::~Light()
{
    giveBack(number);
    glDisable(number);
}

void Light::enable()
{
    glEnable(number);
}

void Light::disable()
{
    glDisable(number);
}

DirectionalLight::DirectionalLight(const GLfloat *ambient, const GLfloat *diffuse,
                                   const GLfloat *specular, const GLfloat *position)
    : Light(ambient, diffuse, specular)
{
    copyPosition(this->position, position, directionalW);
}

void DirectionalLight::enable()
{
    glLightfv(number, GL_POSITION, position);
    Light::enable();
}

PointLight::PointLight(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular,
                       const GLfloat *position)
    : Light(ambient, diffuse, specular)
{
    copyPosition(this->position, position, pointW);
}

void PointLight::setAttenuation(GLfloat constant, GLfloat linear, GLfloat quadratic)
{
    glLightfv(number, GL_CONSTANT_ATTENUATION, &constant);
    glLightfv(number, GL_LINEAR_ATTENUATION, &linear);
    glLightfv(number, GL_QUADRATIC_ATTENUATION, &quadratic);
}

void PointLight::enable()
{
    glLightfv(number, GL_POSITION, position);
    Light::enable();
}

SpotLight::SpotLight(const GLfloat *ambient, const GLfloat *diffuse, const GLfloat *specular,
                     const GLfloat *position, const GLfloat *direction, GLfloat exponent,
                     GLfloat cutoff)
    : PointLight(ambient, diffuse, specular, position)
{
    glLightf(number, GL_SPOT_CUTOFF, cutoff);
    glLightf(number, GL_SPOT_EXPONENT, exponent);
    this->direction[0] = direction[0];
    this->direction[1] = direction[1];
    this->direction[2] = direction[2];
}

void SpotLight::enable()
{
    glLightfv(number, GL_SPOT_DIRECTION, direction);
    PointLight::enable();
}
