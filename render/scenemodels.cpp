// SPDX-License-Identifier: MIT
#include "render/scenemodels.h"

#include "glm/glm.h"
#include "render/scenelayout.h"

namespace {

constexpr GLuint modelDrawMode = GLM_DRAW_SMOOTH | GLM_DRAW_TEXTURE;

// Blending is off while the models are drawn, so the alpha only matters to
// the blended squares drawn after them with this colour still current.
constexpr GLfloat modelRed = 1.0f, modelGreen = 1.0f, modelBlue = 1.0f, modelAlpha = 0.7f;

ObjModel *readModel(const layout::SceneModel &what)
{
    glPushMatrix();
    ObjModel *model = glmReadOBJ(what.modelFile);
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, GLfloat(layout::creaseAngleDeg));
    glPopMatrix();
    return model;
}

void drawModel(ObjModel *model, const layout::Placement &at, GLuint texture)
{
    const GLfloat scale = GLfloat(at.scale);
    glPushMatrix();
    glTranslatef(GLfloat(at.offset.x), GLfloat(at.offset.y), GLfloat(at.offset.z));
    glScalef(scale, scale, scale);
    glColor4f(modelRed, modelGreen, modelBlue, modelAlpha);
    glBindTexture(GL_TEXTURE_2D, texture);
    glmDraw(model, modelDrawMode);
    glPopMatrix();
}

} // namespace

SceneModels::SceneModels()
    : radarModel(readModel(layout::radarModel)), tableModel(readModel(layout::tableModel)),
      displayModel(readModel(layout::displayModel))
{
}

SceneModels::~SceneModels()
{
    glmFreeModel(radarModel);
    glmFreeModel(displayModel);
    glmFreeModel(tableModel);
}

void SceneModels::draw(GLuint radarTexture, GLuint tableTexture, GLuint displayTexture) const
{
    // Faces turned away from the camera lie behind the models' front faces:
    // not shading them spares the table's underside and far sides, over a
    // screen of fragments.
    glEnable(GL_CULL_FACE);
    drawModel(tableModel, layout::tableModel.placement, tableTexture);
    drawModel(radarModel, layout::radarModel.placement, radarTexture);
    drawModel(displayModel, layout::displayModel.placement, displayTexture);
    glDisable(GL_CULL_FACE);
}
