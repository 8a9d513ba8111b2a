// The scene's solid furniture: the radar table, the radar and its display,
// read once at set-up, drawn textured beneath the blended radar squares in
// every frame and freed with the view.
#include "glm/glm.h"
#include "render/glwidget.h"

namespace {

// Reading fits each model into the cube of side 2 and smooths normals up to
// this crease angle.
constexpr GLfloat creaseAngleDeg = 90.0f;
constexpr GLuint modelDrawMode = GLM_DRAW_SMOOTH | GLM_DRAW_TEXTURE;

// Blending is off while the models are drawn, so the alpha only matters to
// the blended squares drawn after them with this colour still current.
constexpr GLfloat modelRed = 1.0f, modelGreen = 1.0f, modelBlue = 1.0f, modelAlpha = 0.7f;

struct Placement
{
    GLfloat x, y, z; // offset of the fitted model's centre
    GLfloat scale;   // of the fitted model, whose largest size is 2
};

constexpr Placement tablePlacement = {0.0f, 0.8f, -0.32f, 11.0f};
constexpr Placement radarPlacement = {0.0f, 1.1f, 0.0f, 3.0f};
constexpr Placement displayPlacement = {0.01f, 1.388f, 2.505f, 3.01f};

ObjModel *readModel(const char *fileName)
{
    // Ends the process when the file or its material library is missing.
    glPushMatrix();
    ObjModel *model = glmReadOBJ(fileName);
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, creaseAngleDeg);
    glPopMatrix();
    return model;
}

void drawModel(ObjModel *model, const Placement &at, GLuint texture)
{
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glScalef(at.scale, at.scale, at.scale);
    glColor4f(modelRed, modelGreen, modelBlue, modelAlpha);
    glBindTexture(GL_TEXTURE_2D, texture);
    glmDraw(model, modelDrawMode);
    glPopMatrix();
}

void freeModel(ObjModel *&model)
{
    if (model)
        glmFreeModel(model);
    model = nullptr;
}

} // namespace

void GLWidget::readModels()
{
    radarModel = readModel("mdl/radar2.obj");
    tableModel = readModel("mdl/radartisch.obj");
    displayModel = readModel("mdl/radardisplay.obj");
}

void GLWidget::drawModels()
{
    drawModel(tableModel, tablePlacement, tableTexture);
    drawModel(radarModel, radarPlacement, radarTexture);
    drawModel(displayModel, displayPlacement, displayTexture);
}

void GLWidget::freeModels()
{
    freeModel(radarModel);
    freeModel(displayModel);
    freeModel(tableModel);
}
