// SPDX-License-Identifier: MIT
#include "glm/glm.h"
#include "net/logic.h"
#include "render/displaylist.h"
#include "render/light.h"
#include "render/scenemodels.h"
#include "viewfixture.h"

#include <QDir>
#include <QPixmapCache>

#include <algorithm>

namespace {

Matrix rotatedIdentity(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    glPushMatrix();
    glLoadIdentity();
    glRotatef(angle, x, y, z);
    const Matrix m = currentMatrix(GL_MODELVIEW_MATRIX);
    glPopMatrix();
    return m;
}

std::array<GLfloat, 4> floats(GLenum what)
{
    std::array<GLfloat, 4> v{-1, -1, -1, -1};
    glGetFloatv(what, v.data());
    return v;
}

using ViewSetUp = ViewTest;

TEST_F(ViewSetUp, hintsSizes)
{
    Logic logic;
    GLWidget unshown(&logic);
    EXPECT_EQ(unshown.sizeHint(), QSize(400, 400));
    EXPECT_EQ(unshown.minimumSizeHint(), QSize(50, 50));
}

TEST_F(ViewSetUp, setsTheStateEveryFrameReliesOn)
{
    ASSERT_TRUE(showView());
    view->makeCurrent();

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(floats(GL_COLOR_CLEAR_VALUE), (std::array<GLfloat, 4>{0, 0, 0, 1}));
    GLint twoSide = 0, src = 0, dst = 0;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSide);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(twoSide, 1);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);

    // The light: GL_LIGHT0, configured but off between frames.
    ASSERT_EQ(lightsInUseCount, 1);
    EXPECT_EQ(lightsInUse[0], GLenum(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    std::array<GLfloat, 4> ambient{}, diffuse{};
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient.data());
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse.data());
    EXPECT_EQ(ambient, (std::array<GLfloat, 4>{0.1f, 0.1f, 0.1f, 1.0f}));
    EXPECT_EQ(diffuse, (std::array<GLfloat, 4>{1, 1, 1, 1}));

    std::array<GLfloat, 4> material{}, shininess{};
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, material.data());
    glGetMaterialfv(GL_FRONT, GL_SHININESS, shininess.data());
    EXPECT_EQ(material, (std::array<GLfloat, 4>{1, 1, 0, 1}));
    EXPECT_EQ(shininess[0], 20.0f);

    // Six distinct textures that outlive the pixmaps they came from.
    QPixmapCache::clear();
    std::vector<GLuint> names = textureNames(scene().textures());
    for (GLuint name : names)
        EXPECT_TRUE(glIsTexture(name)) << name;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ViewSetUp, markerListLeavesTheMatrixTurnedDiscAndSweepDoNot)
{
    ASSERT_TRUE(showView());
    view->makeCurrent();
    glMatrixMode(GL_MODELVIEW);

    glLoadIdentity();
    scene().discList().call();
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), rotatedIdentity(0, 0, 0, 1));
    scene().sweepList().call();
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), rotatedIdentity(0, 0, 0, 1));
    scene().markerList().call();
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), rotatedIdentity(90, -1, 0, 0));

    // Each list binds its own texture.
    const SceneTextures &textures = scene().textures();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), textures.marker);
    scene().discList().call();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), textures.disc);
    scene().sweepList().call();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), textures.sweep);
}

TEST_F(ViewSetUp, destroyingTheViewDeletesItsListsAndGivesTheLightBack)
{
    ASSERT_TRUE(showView());
    // A witness sharing the view's lists sees them after the view is gone.
    ContextWidget witness(16, view.get());
    ASSERT_TRUE(witness.ready());
    ASSERT_TRUE(witness.isSharing());
    const std::vector<GLuint> lists = {scene().markerList().listId(), scene().discList().listId(),
                                       scene().sweepList().listId()};
    for (GLuint list : lists)
        ASSERT_TRUE(glIsList(list));

    // An unrelated context current at destruction: the view must switch to
    // its own before deleting.
    ContextWidget unrelated(16);
    ASSERT_TRUE(unrelated.ready());
    view.reset();
    EXPECT_EQ(lightsInUseCount, 0);

    witness.makeCurrent();
    for (GLuint list : lists)
        EXPECT_FALSE(glIsList(list)) << list;
}

TEST_F(ViewSetUp, viewNeverSetUpReleasesNothing)
{
    // Another context holds the current light; an unused view must leave it.
    ContextWidget other(16);
    ASSERT_TRUE(other.ready());
    const GLfloat colour[4] = {1, 1, 1, 1};
    const GLfloat position[3] = {0, 1, 0};
    PointLight held(colour, colour, colour, position);
    held.enable();
    {
        GLWidget unused(&state);
    }
    other.makeCurrent();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_EQ(lightsInUseCount, 1);
}

TEST_F(ViewSetUp, readsTheThreeModelsFittedWithVertexNormals)
{
    ASSERT_TRUE(showView());
    const SceneModels &models = scene().models();
    for (ObjModel *model : {models.radar(), models.table(), models.display()}) {
        ASSERT_NE(model, nullptr);
        EXPECT_NE(model->normals, nullptr);
        EXPECT_NE(model->facetnorms, nullptr);
        GLfloat size[3] = {};
        glmExtent(model, size);
        EXPECT_FLOAT_EQ(size[0], 2.0f);
        EXPECT_FLOAT_EQ(size[1], 0.0f);
        EXPECT_FLOAT_EQ(size[2], 2.0f);
    }
}

TEST_F(ViewSetUp, missingImagesLeaveEmptyTexturesAndSetUpGoesOn)
{
    ASSERT_TRUE(QDir("textures").removeRecursively());
    ASSERT_TRUE(showView());
    view->makeCurrent();
    for (GLuint name : textureNames(scene().textures()))
        EXPECT_EQ(name, 0u);
    EXPECT_TRUE(glIsList(scene().markerList().listId()));
    // Frames still draw, untextured in the current colour.
    const QImage image = frame();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(image.pixel(viewWidth / 2, viewHeight / 2), qRgba(255, 255, 255, 255));
}

} // namespace
