// SPDX-License-Identifier: MIT
// The mode adjustment shared by drawing and writing: flags whose data the
// model lacks, or that conflict, are cleared one by one with a message.
#pragma once

#include "glm/glm.h"

#include <cstdio>

// One message per test, in the order the tests run.
struct GlmModeMessages
{
    const char *noFacetNormals;   // flat, no facetnorms
    const char *noNormals;        // smooth, no normals
    const char *noUVs;            // texture, no uvcoords
    const char *flatAndSmooth;    // both: smooth wins
    const char *colorNoMaterial;  // color, no materiallist
    const char *materialNone;     // material, no materiallist
    const char *colorAndMaterial; // both: material wins
};

// Returns the adjusted mode; each failing test prints its message and a line
// break to standard output. Presence is judged by the array pointers.
inline GLuint glmAdjustMode(const ObjModel *model, GLuint mode, const GlmModeMessages &text)
{
    if ((mode & GLM_DRAW_FLAT) && !model->facetnorms) {
        std::printf("%s\n", text.noFacetNormals);
        mode &= ~GLM_DRAW_FLAT;
    }
    if ((mode & GLM_DRAW_SMOOTH) && !model->normals) {
        std::printf("%s\n", text.noNormals);
        mode &= ~GLM_DRAW_SMOOTH;
    }
    if ((mode & GLM_DRAW_TEXTURE) && !model->uvcoords) {
        std::printf("%s\n", text.noUVs);
        mode &= ~GLM_DRAW_TEXTURE;
    }
    if ((mode & GLM_DRAW_FLAT) && (mode & GLM_DRAW_SMOOTH)) {
        std::printf("%s\n", text.flatAndSmooth);
        mode &= ~GLM_DRAW_FLAT;
    }
    if ((mode & GLM_DRAW_COLOR) && !model->materiallist) {
        std::printf("%s\n", text.colorNoMaterial);
        mode &= ~GLM_DRAW_COLOR;
    }
    if ((mode & GLM_DRAW_MATERIAL) && !model->materiallist) {
        std::printf("%s\n", text.materialNone);
        mode &= ~GLM_DRAW_MATERIAL;
    }
    if ((mode & GLM_DRAW_COLOR) && (mode & GLM_DRAW_MATERIAL)) {
        std::printf("%s\n", text.colorAndMaterial);
        mode &= ~GLM_DRAW_COLOR;
    }
    return mode;
}

// Whether every index a triangle needs under mode lies inside its array, so
// that a damaged model skips the triangle instead of reading outside.
inline bool glmTriangleInRange(const ObjModel *model, const ObjTriangle &t, GLuint mode)
{
    if ((mode & GLM_DRAW_FLAT) && t.facetindex > model->facetnormcount)
        return false;
    for (int k = 0; k < 3; ++k) {
        if (t.vertexindex[k] > model->vertexcount)
            return false;
        if ((mode & GLM_DRAW_SMOOTH) && t.normalindex[k] > model->normalcount)
            return false;
        if ((mode & GLM_DRAW_TEXTURE) && t.uvindex[k] > model->uvcount)
            return false;
    }
    return true;
}
