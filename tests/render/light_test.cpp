// SPDX-License-Identifier: MIT
#include "gltestsupport.h"
#include "render/light.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const GLfloat ambient[4] = {0.1f, 0.2f, 0.3f, 1.0f};
const GLfloat diffuse[4] = {0.4f, 0.5f, 0.6f, 1.0f};
const GLfloat specular[4] = {0.7f, 0.8f, 0.9f, 1.0f};
const GLfloat position[3] = {-1.0f, 15.0f, 1.0f};

using LightPtr = std::unique_ptr<Light>;

LightPtr newLight()
{
    return LightPtr(new Light(ambient, diffuse, specular));
}

std::vector<GLenum> table()
{
    return {lightsInUse, lightsInUse + lightsInUseCount};
}

class Lights : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(context.ready());
        ASSERT_EQ(lightsInUseCount, 0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override { EXPECT_EQ(lightsInUseCount, 0) << "a test leaked a light"; }

    std::array<GLfloat, 4> lightVector(GLenum number, GLenum what)
    {
        std::array<GLfloat, 4> v{-9, -9, -9, -9};
        glGetLightfv(number, what, v.data());
        return v;
    }

    ContextWidget context;
};

TEST_F(Lights, numbersFollowTheHighestHeldAndRestartWhenAllAreFree)
{
    LightPtr first = newLight();
    LightPtr second = newLight();
    EXPECT_EQ(first->lightNumber(), GLenum(GL_LIGHT0));
    EXPECT_EQ(second->lightNumber(), GLenum(GL_LIGHT1));

    first.reset();
    LightPtr third = newLight();
    EXPECT_EQ(third->lightNumber(), GLenum(GL_LIGHT2));
    EXPECT_EQ(table(), (std::vector<GLenum>{GL_LIGHT1, GL_LIGHT2}));

    second.reset();
    third.reset();
    EXPECT_EQ(lightsInUseCount, 0);
    LightPtr again = newLight();
    EXPECT_EQ(again->lightNumber(), GLenum(GL_LIGHT0));
}

TEST_F(Lights, ninthLightThrowsAndLeavesTableUnchanged)
{
    std::vector<LightPtr> held;
    for (int i = 0; i < MaxLights; ++i)
        held.push_back(newLight());
    const std::vector<GLenum> before = table();
    ASSERT_EQ(before.size(), size_t(MaxLights));

    LightError *error = nullptr;
    try {
        PointLight extra(ambient, diffuse, specular, position);
        ADD_FAILURE() << "a ninth light was built";
    } catch (LightError *e) {
        error = e;
    }
    EXPECT_NE(error, nullptr);
    delete error;
    EXPECT_EQ(table(), before);
}

TEST_F(Lights, numberPastLastLightFallsBackToLowestFree)
{
    std::vector<LightPtr> held;
    for (int i = 0; i < MaxLights; ++i)
        held.push_back(newLight());
    // Keep only GL_LIGHT7 and GL_LIGHT3.
    for (int i = 0; i < MaxLights - 1; ++i) {
        if (i != 3)
            held[i].reset();
    }
    ASSERT_EQ(table(), (std::vector<GLenum>{GL_LIGHT3, GL_LIGHT7}));

    LightPtr a = newLight();
    LightPtr b = newLight();
    EXPECT_EQ(a->lightNumber(), GLenum(GL_LIGHT0));
    EXPECT_EQ(b->lightNumber(), GLenum(GL_LIGHT1));
    // A number past GL_LIGHT7 would raise GL_INVALID_ENUM on the colours.
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(lightVector(GL_LIGHT1, GL_DIFFUSE)[1], diffuse[1]);
}

TEST_F(Lights, givingBackANumberNotHeldStaysInsideTable)
{
    LightPtr light = newLight();
    ASSERT_EQ(light->lightNumber(), GLenum(GL_LIGHT0));
    // Put the table out of step with the light, as a double release would.
    lightsInUse[0] = GL_LIGHT5;

    light.reset();
    EXPECT_EQ(table(), std::vector<GLenum>{GL_LIGHT5});

    lightsInUseCount = 0;
    LightPtr other = newLight();
    lightsInUseCount = 0;
    other.reset();
    EXPECT_EQ(lightsInUseCount, 0);
}

TEST_F(Lights, coloursAreSentOnConstruction)
{
    LightPtr light = newLight();
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_AMBIENT)[2], ambient[2]);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_DIFFUSE)[0], diffuse[0]);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_SPECULAR)[1], specular[1]);
}

TEST_F(Lights, enableSendsPositionWithPointOrDirectionW)
{
    PointLight point(ambient, diffuse, specular, position);
    DirectionalLight directional(ambient, diffuse, specular, position);
    ASSERT_EQ(point.lightNumber(), GLenum(GL_LIGHT0));
    ASSERT_EQ(directional.lightNumber(), GLenum(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));

    point.enable();
    directional.enable();
    const std::array<GLfloat, 4> pointAt{-1.0f, 15.0f, 1.0f, 1.0f};
    const std::array<GLfloat, 4> towards{-1.0f, 15.0f, 1.0f, 0.0f};
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_POSITION), pointAt);
    EXPECT_EQ(lightVector(GL_LIGHT1, GL_POSITION), towards);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));

    point.disable();
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    directional.disable();
}

TEST_F(Lights, positionIsTakenThroughTheMatrixCurrentAtEnable)
{
    PointLight point(ambient, diffuse, specular, position);
    glTranslatef(1.0f, 2.0f, 3.0f);
    point.enable();
    const std::array<GLfloat, 4> eyeSpace{0.0f, 17.0f, 4.0f, 1.0f};
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_POSITION), eyeSpace);
    point.disable();
}

TEST_F(Lights, spotLightSendsCutoffExponentAndDirection)
{
    const GLfloat direction[3] = {0.0f, -1.0f, 0.5f};
    const GLfloat exponent = 12.0f;
    const GLfloat cutoff = 30.0f;
    SpotLight spot(ambient, diffuse, specular, position, direction, exponent, cutoff);
    spot.setAttenuation(1.5f, 0.25f, 0.125f);

    EXPECT_EQ(lightVector(GL_LIGHT0, GL_SPOT_CUTOFF)[0], cutoff);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_SPOT_EXPONENT)[0], exponent);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_CONSTANT_ATTENUATION)[0], 1.5f);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_LINEAR_ATTENUATION)[0], 0.25f);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_QUADRATIC_ATTENUATION)[0], 0.125f);

    spot.enable();
    const std::array<GLfloat, 4> dir = lightVector(GL_LIGHT0, GL_SPOT_DIRECTION);
    EXPECT_EQ(dir[0], 0.0f);
    EXPECT_EQ(dir[1], -1.0f);
    EXPECT_EQ(dir[2], 0.5f);
    EXPECT_EQ(lightVector(GL_LIGHT0, GL_POSITION)[3], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

TEST_F(Lights, destroyedLightIsSwitchedOff)
{
    {
        PointLight point(ambient, diffuse, specular, position);
        point.enable();
        ASSERT_TRUE(glIsEnabled(GL_LIGHT0));
    }
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(lightsInUseCount, 0);
}

} // namespace
