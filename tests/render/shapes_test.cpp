// SPDX-License-Identifier: MIT
#include "gltestsupport.h"
#include "render/displaylist.h"
#include "render/shapes.h"

#include <gtest/gtest.h>

namespace {

constexpr int viewSize = 64;

class Shapes : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(context.ready());
        glViewport(0, 0, viewSize, viewSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    }

    int litPixels(const QImage &image)
    {
        int lit = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lit += qRed(image.pixel(x, y)) > 0;
        return lit;
    }

    ContextWidget context{viewSize};
};

TEST_F(Shapes, compiledQuadDrawsTheSamePixelsAsDirect)
{
    // Off-centre and turned, so a change of corner order or size shows.
    glTranslatef(0.2f, -0.1f, 0.0f);
    glRotatef(20.0f, 0.0f, 0.0f, 1.0f);
    glScalef(1.2f, 0.8f, 1.0f);

    glClear(GL_COLOR_BUFFER_BIT);
    drawQuad();
    const QImage direct = readBackBuffer(viewSize, viewSize);

    DisplayList list;
    list.beginCompile();
    drawQuad();
    list.endCompile();
    // Compiling must not draw.
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(litPixels(readBackBuffer(viewSize, viewSize)), 0);

    list.call();
    const QImage compiled = readBackBuffer(viewSize, viewSize);
    EXPECT_EQ(compiled, direct);
    // The unit square scaled 1.2 x 0.8 covers about 0.96 / 4 of the view.
    const int expected = viewSize * viewSize * 96 / 400;
    EXPECT_NEAR(litPixels(direct), expected, expected / 10);
}

TEST_F(Shapes, quadTextureRunsTowardsMinusXAndMinusY)
{
    // 2 x 2 texture: texel (s, t) = (0, 0) red, (1, 0) green, (0, 1) blue,
    // (1, 1) white.
    const GLubyte texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glScalef(2.0f, 2.0f, 1.0f); // fill the view

    glClear(GL_COLOR_BUFFER_BIT);
    drawQuad();
    const QImage image = readBackBuffer(viewSize, viewSize);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);

    const int low = viewSize / 4, high = 3 * viewSize / 4;        // image rows run top down
    EXPECT_EQ(image.pixel(high, low), qRgba(255, 0, 0, 255));     // +x, +y: (0, 0)
    EXPECT_EQ(image.pixel(low, low), qRgba(0, 255, 0, 255));      // -x, +y: (1, 0)
    EXPECT_EQ(image.pixel(high, high), qRgba(0, 0, 255, 255));    // +x, -y: (0, 1)
    EXPECT_EQ(image.pixel(low, high), qRgba(255, 255, 255, 255)); // -x, -y: (1, 1)
}

TEST_F(Shapes, destroyingAListDeletesExactlyItsOwnName)
{
    auto *first = new DisplayList;
    DisplayList second;
    DisplayList third;
    for (DisplayList *list : {first, &second, &third}) {
        list->beginCompile();
        drawQuad();
        list->endCompile();
    }
    const GLuint firstId = first->listId();
    ASSERT_NE(firstId, 0u);
    EXPECT_NE(firstId, second.listId());
    EXPECT_NE(second.listId(), third.listId());
    ASSERT_TRUE(glIsList(firstId));

    delete first;
    EXPECT_FALSE(glIsList(firstId));
    EXPECT_TRUE(glIsList(second.listId()));
    EXPECT_TRUE(glIsList(third.listId()));
}

TEST_F(Shapes, coneCubeAndRoundShapesLeaveTheMatrixAsFound)
{
    glTranslatef(0.1f, 0.2f, -0.3f);
    glRotatef(33.0f, 1.0f, 1.0f, 0.0f);
    glScalef(0.5f, 0.4f, 0.3f);
    const Matrix before = currentMatrix(GL_MODELVIEW_MATRIX);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    glClear(GL_COLOR_BUFFER_BIT);
    drawCone(12);
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), before);
    drawCube();
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), before);
    drawSphere(12);
    drawDisk(12);
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), before);

    GLint depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_GT(litPixels(readBackBuffer(viewSize, viewSize)), 0);
}

TEST_F(Shapes, cubeClosesEveryFace)
{
    // Seen down each axis through an orthographic view, with back faces
    // culled, the cube must show a full square: each face faces outwards.
    glEnable(GL_CULL_FACE);
    const GLfloat turns[6][4] = {{0, 0, 1, 0},   {90, 0, 1, 0}, {180, 0, 1, 0},
                                 {270, 0, 1, 0}, {90, 1, 0, 0}, {-90, 1, 0, 0}};
    for (const auto &turn : turns) {
        glLoadIdentity();
        glRotatef(turn[0], turn[1], turn[2], turn[3]);
        glClear(GL_COLOR_BUFFER_BIT);
        drawCube();
        const QImage image = readBackBuffer(viewSize, viewSize);
        const int expected = viewSize * viewSize / 4;
        EXPECT_NEAR(litPixels(image), expected, expected / 10) << "turn " << turn[0];
    }
    glDisable(GL_CULL_FACE);
}

TEST(ShadowMatrix, flattensOntoThePlaneFromAPointLight)
{
    const GLfloat normal[3] = {0.0f, 1.0f, 0.0f};
    const GLfloat point[3] = {0.0f, 0.0f, 0.0f};
    const GLfloat light[4] = {0.0f, 10.0f, 0.0f, 1.0f};
    GLfloat m[16];
    shadowMatrix(m, normal, point, light);

    const GLfloat p[4] = {1.0f, 5.0f, 1.0f, 1.0f};
    GLfloat out[4];
    for (int row = 0; row < 4; ++row) {
        out[row] = 0.0f;
        for (int col = 0; col < 4; ++col)
            out[row] += m[4 * col + row] * p[col];
    }
    EXPECT_FLOAT_EQ(out[0], 10.0f);
    EXPECT_FLOAT_EQ(out[1], 0.0f);
    EXPECT_FLOAT_EQ(out[2], 10.0f);
    EXPECT_FLOAT_EQ(out[3], 5.0f);
}

TEST(ShadowMatrix, usesThePlaneOffsetAndADirectionalLight)
{
    // Plane y = 2 (normal not of unit length), light straight down.
    const GLfloat normal[3] = {0.0f, 2.0f, 0.0f};
    const GLfloat point[3] = {7.0f, 2.0f, -3.0f};
    const GLfloat light[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    GLfloat m[16];
    shadowMatrix(m, normal, point, light);

    const GLfloat p[4] = {3.0f, 9.0f, -4.0f, 1.0f};
    GLfloat out[4];
    for (int row = 0; row < 4; ++row) {
        out[row] = 0.0f;
        for (int col = 0; col < 4; ++col)
            out[row] += m[4 * col + row] * p[col];
    }
    ASSERT_NE(out[3], 0.0f);
    EXPECT_FLOAT_EQ(out[0] / out[3], 3.0f);
    EXPECT_FLOAT_EQ(out[1] / out[3], 2.0f);
    EXPECT_FLOAT_EQ(out[2] / out[3], -4.0f);
}

} // namespace
