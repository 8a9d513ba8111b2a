// SPDX-License-Identifier: MIT
// Immediate-mode drawing of a model, and its compilation into a display list.
#include "glm/glm.h"
#include "glm/glmassert.h"
#include "glm/modeadjust.h"

#include <cstddef>

namespace {

const GlmModeMessages drawMessages = {
    "glmDraw() warning: flat render mode requested with no facet normals defined.",
    "glmDraw() warning: smooth render mode requested with no normals defined.",
    "glmDraw() warning: texture render mode requested with no texture coordinates defined.",
    "glmDraw() warning: flat render mode requested and smooth render mode requested (using "
    "smooth).",
    "glmDraw() warning: color render mode requested with no materials defined.",
    "glmDraw() warning: material render mode requested with no materials defined.",
    "glmDraw() warning: color and material render mode requested using only material mode.",
};

void applyMaterial(const ObjMaterial &m)
{
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.shininess);
}

} // namespace

void glmDraw(ObjModel *model, GLuint mode)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->vertices);

    mode = glmAdjustMode(model, mode, drawMessages);

    if (mode & GLM_DRAW_COLOR)
        glEnable(GL_COLOR_MATERIAL);
    else if (mode & GLM_DRAW_MATERIAL)
        glDisable(GL_COLOR_MATERIAL);

    for (const ObjGroup *group = model->grouplist; group; group = group->next) {
        // Only material modes survive the adjustment without a materiallist;
        // the index check guards against a damaged group.
        const ObjMaterial *material = group->material < model->materialcount
                                          ? &model->materiallist[group->material]
                                          : nullptr;
        if ((mode & GLM_DRAW_MATERIAL) && material)
            applyMaterial(*material);
        if ((mode & GLM_DRAW_COLOR) && material)
            glColor3fv(material->diffuse);

        glBegin(GL_TRIANGLES);
        for (GLuint i = 0; i < group->facecount; ++i) {
            if (group->faceindices[i] >= model->facecount)
                continue;
            const ObjTriangle &t = model->faces[group->faceindices[i]];
            if (!glmTriangleInRange(model, t, mode))
                continue;
            if (mode & GLM_DRAW_FLAT)
                glNormal3fv(&model->facetnorms[std::size_t{3} * t.facetindex]);
            for (int k = 0; k < 3; ++k) {
                if (mode & GLM_DRAW_SMOOTH)
                    glNormal3fv(&model->normals[std::size_t{3} * t.normalindex[k]]);
                if (mode & GLM_DRAW_TEXTURE)
                    glTexCoord2fv(&model->uvcoords[std::size_t{2} * t.uvindex[k]]);
                glVertex3fv(&model->vertices[std::size_t{3} * t.vertexindex[k]]);
            }
        }
        glEnd();
    }
}

GLuint glmCompileList(ObjModel *model, GLuint mode)
{
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glmDraw(model, mode);
    glEndList();
    return list;
}
