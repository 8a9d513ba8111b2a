// SPDX-License-Identifier: MIT
#include "render/sceneresources.h"

#include "render/displaylist.h"
#include "render/light.h"
#include "render/scenelayout.h"
#include "render/scenemodels.h"
#include "render/scenetexture.h"
#include "render/shapes.h"

#include <QGLWidget>

namespace {

// The scene's one light; lighting stays off, so it does not show in the
// picture.
constexpr GLfloat lightAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr GLfloat lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat lightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat lightPosition[3] = {-1.0f, 15.0f, 1.0f};

// About (-1, 0, 0): lays a square flat, facing up. About +Z: turns the
// disc's picture upright for the viewer.
constexpr GLfloat quarterTurn = 90.0f;
constexpr GLfloat halfTurn = 180.0f;
constexpr GLfloat discScale = GLfloat(layout::discSide);

} // namespace

void layDiscSquare()
{
    glRotatef(quarterTurn, -1.0f, 0.0f, 0.0f);
    glRotatef(halfTurn, 0.0f, 0.0f, 1.0f);
    glScalef(discScale, discScale, discScale);
}

SceneResources::SceneResources(QGLWidget &view)
    : view(view),
      pointLight(new PointLight(lightAmbient, lightDiffuse, lightSpecular, lightPosition))
{
    names.radar = loadSceneTexture(layout::radarModel.textureFile);
    names.table = loadSceneTexture(layout::tableModel.textureFile);
    names.disc = loadSceneTexture(layout::discTextureFile);
    names.sweep = loadSceneTexture(layout::sweepTextureFile);
    names.display = loadSceneTexture(layout::displayModel.textureFile, &displayImage);
    names.marker = loadSceneTexture(layout::markerTextureFile);

    // No push or pop: the caller wraps each marker in its own.
    marker.reset(new DisplayList);
    marker->beginCompile();
    glBindTexture(GL_TEXTURE_2D, names.marker);
    glRotatef(quarterTurn, -1.0f, 0.0f, 0.0f);
    drawQuad();
    marker->endCompile();

    disc.reset(new DisplayList);
    disc->beginCompile();
    glPushMatrix();
    glTranslatef(GLfloat(layout::discCentreX), GLfloat(layout::discHeight),
                 GLfloat(layout::discCentreZ));
    layDiscSquare();
    glBindTexture(GL_TEXTURE_2D, names.disc);
    drawQuad();
    glPopMatrix();
    disc->endCompile();

    sweep.reset(new DisplayList);
    sweep->beginCompile();
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, names.sweep);
    drawQuad();
    glPopMatrix();
    sweep->endCompile();

    scene.reset(new SceneModels);
}

SceneResources::~SceneResources()
{
    // The light and the lists live in the view's context.
    view.makeCurrent();
    pointLight.reset();
    disc.reset();
    sweep.reset();
    marker.reset();
    scene.reset();
}
