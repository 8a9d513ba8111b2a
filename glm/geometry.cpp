// SPDX-License-Identifier: MIT
// Geometry operations on a model in place: size and position, winding,
// facet and vertex normals, generated texture coordinates.
#include "glm/glm.h"

#include "glm/glmalloc.h"
#include "glm/glmassert.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double degreesPerHalfTurn = 180.0;
constexpr double cubeSize = 2.0; // the unit cube spans -1..+1

// Sphere mapping constants: two different single-precision right angles
// and a short pi as divisor.
constexpr GLfloat thetaOnYzPlane = 1.5707964f;
constexpr GLfloat phiOnXzPlane = 1.5707961f;
constexpr double phiOffset = 1.570796325;
constexpr double sphereDivisor = 3.14159265;

GLfloat glmDot(const GLfloat *u, const GLfloat *v)
{
    GLM_ASSERT(u);
    GLM_ASSERT(v);
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

void glmCross(const GLfloat *u, const GLfloat *v, GLfloat *n)
{
    GLM_ASSERT(n);
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
}

// Minimum and maximum per axis over vertices 1..vertexcount. A model without
// vertices has the empty box at the origin. Sizes and centres are doubles:
// the sum of two large floats can pass the largest float, and fitting a
// model near it would then collapse it.
struct Bounds
{
    GLfloat min[3] = {0.0f, 0.0f, 0.0f};
    GLfloat max[3] = {0.0f, 0.0f, 0.0f};

    // |max| + |min|: the two agree with max - min when the range holds 0.
    double size(int axis) const
    {
        return static_cast<double>(glmAbs(max[axis])) + static_cast<double>(glmAbs(min[axis]));
    }
    double centre(int axis) const
    {
        return (static_cast<double>(max[axis]) + static_cast<double>(min[axis])) * 0.5;
    }
    // The factor that brings the largest size to the cube's; 1 for size 0.
    double unitScale() const
    {
        double largest = size(0);
        for (int axis = 1; axis < 3; ++axis)
            if (size(axis) > largest)
                largest = size(axis);
        return largest == 0.0 ? 1.0 : cubeSize / largest;
    }
};

// A double as the nearest float, the largest float for what lies beyond.
GLfloat narrow(double x)
{
    if (x > FLT_MAX)
        return FLT_MAX;
    if (x < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<GLfloat>(x);
}

Bounds boundsOf(const ObjModel *model)
{
    Bounds b;
    if (model->vertexcount == 0)
        return b;
    for (int axis = 0; axis < 3; ++axis)
        b.min[axis] = b.max[axis] = model->vertices[3 + axis];
    for (GLuint i = 1; i <= model->vertexcount; ++i) {
        const GLfloat *v = &model->vertices[3 * i];
        for (int axis = 0; axis < 3; ++axis) {
            if (b.max[axis] < v[axis])
                b.max[axis] = v[axis];
            if (b.min[axis] > v[axis])
                b.min[axis] = v[axis];
        }
    }
    return b;
}

bool isZeroVector(const GLfloat *v)
{
    return v[0] * v[0] + v[1] * v[1] + v[2] * v[2] == 0.0f;
}

// Use of a vertex by one triangle corner.
struct ObjFaceNode
{
    GLuint index; // 0-based triangle
    bool averaged;
    ObjFaceNode *next;
};

} // namespace

GLfloat glmFitToUnitCube(ObjModel *model)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->vertices);
    const Bounds b = boundsOf(model);
    double centre[3];
    for (int axis = 0; axis < 3; ++axis)
        centre[axis] = b.centre(axis);
    // A model of size 0 (all at the origin, or no vertices) has nothing to
    // scale: it is only centred, with the factor 1.
    const double scale = b.unitScale();
    for (GLuint i = 1; i <= model->vertexcount; ++i) {
        GLfloat *v = &model->vertices[3 * i];
        for (int axis = 0; axis < 3; ++axis)
            v[axis] = narrow((v[axis] - centre[axis]) * scale);
    }
    return narrow(scale);
}

void glmExtent(ObjModel *model, GLfloat *dimensions)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->vertices);
    GLM_ASSERT(dimensions);
    const Bounds b = boundsOf(model);
    for (int axis = 0; axis < 3; ++axis)
        dimensions[axis] = narrow(b.size(axis));
}

void glmScaleModel(ObjModel *model, GLfloat scale)
{
    for (GLuint i = 1; i <= model->vertexcount; ++i) {
        GLfloat *v = &model->vertices[3 * i];
        v[0] *= scale;
        v[1] *= scale;
        v[2] *= scale;
    }
}

void glmFlipWinding(ObjModel *model)
{
    GLM_ASSERT(model);
    for (GLuint t = 0; t < model->facecount; ++t) {
        ObjTriangle &triangle = model->faces[t];
        std::swap(triangle.vertexindex[0], triangle.vertexindex[2]);
        if (model->normalcount)
            std::swap(triangle.normalindex[0], triangle.normalindex[2]);
        if (model->uvcount)
            std::swap(triangle.uvindex[0], triangle.uvindex[2]);
    }
    // Element 0 is skipped; negation turns 0 into -0, so two flips restore
    // every bit.
    for (std::size_t i = 3; i < 3 * (std::size_t{model->facetnormcount} + 1); ++i)
        model->facetnorms[i] = -model->facetnorms[i];
    for (std::size_t i = 3; i < 3 * (std::size_t{model->normalcount} + 1); ++i)
        model->normals[i] = -model->normals[i];
}

void glmFaceNormals(ObjModel *model)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->vertices);
    std::free(model->facetnorms);
    model->facetnormcount = model->facecount;
    model->facetnorms = glmAllocatePoints(model->facetnormcount, 3, "glmFaceNormals");
    for (GLuint t = 0; t < model->facecount; ++t) {
        ObjTriangle &triangle = model->faces[t];
        triangle.facetindex = t + 1;
        const GLfloat *p0 = &model->vertices[3 * triangle.vertexindex[0]];
        const GLfloat *p1 = &model->vertices[3 * triangle.vertexindex[1]];
        const GLfloat *p2 = &model->vertices[3 * triangle.vertexindex[2]];
        const GLfloat u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const GLfloat v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        GLfloat *n = &model->facetnorms[3 * (t + 1)];
        glmCross(u, v, n);
        glmNormalizeVector(n);
    }
}

void glmVertexNormals(ObjModel *model, GLfloat angle)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->facetnorms);
    const GLfloat cosAngle = static_cast<GLfloat>(std::cos(angle * pi / degreesPerHalfTurn));

    std::free(model->normals);
    const std::size_t corners = std::size_t{3} * model->facecount;
    GLfloat *provisional =
        static_cast<GLfloat *>(glmAllocate((corners + 1) * 3, sizeof(GLfloat), "glmVertexNormals"));
    model->normals = provisional;

    // Every corner's normal index is rebuilt; 0 marks one not yet given.
    ObjFaceNode *nodes =
        static_cast<ObjFaceNode *>(glmAllocate(corners, sizeof(ObjFaceNode), "glmVertexNormals"));
    ObjFaceNode **members = static_cast<ObjFaceNode **>(glmAllocateZeroed(
        std::size_t{model->vertexcount} + 1, sizeof(ObjFaceNode *), "glmVertexNormals"));
    std::size_t used = 0;
    for (GLuint t = 0; t < model->facecount; ++t) {
        ObjTriangle &triangle = model->faces[t];
        for (int k = 0; k < 3; ++k) {
            ObjFaceNode *node = &nodes[used++];
            node->index = t;
            node->averaged = false;
            node->next = members[triangle.vertexindex[k]];
            members[triangle.vertexindex[k]] = node;
            triangle.normalindex[k] = 0;
        }
    }

    // Degenerate triangles have zero facet normals; like the not-a-number a
    // normalized zero vector would be, they never pass the threshold.
    auto facetNormal = [model](GLuint t) {
        return &model->facetnorms[3 * model->faces[t].facetindex];
    };
    GLuint slot = 1;
    for (GLuint i = 1; i <= model->vertexcount; ++i) {
        ObjFaceNode *head = members[i];
        if (!head) {
            std::fprintf(stderr, "glmVertexNormals(): vertex w/o a triangle\n");
            continue;
        }
        const GLfloat *reference = facetNormal(head->index);
        const bool referenceUsable = !isZeroVector(reference);
        GLfloat sum[3] = {0.0f, 0.0f, 0.0f};
        bool anyAveraged = false;
        for (ObjFaceNode *node = head; node; node = node->next) {
            const GLfloat *f = facetNormal(node->index);
            node->averaged = referenceUsable && !isZeroVector(f) && glmDot(reference, f) > cosAngle;
            if (node->averaged) {
                sum[0] += f[0];
                sum[1] += f[1];
                sum[2] += f[2];
                anyAveraged = true;
            }
        }
        GLuint averagedIndex = 0;
        if (anyAveraged) {
            glmNormalizeVector(sum);
            std::memcpy(&provisional[3 * slot], sum, sizeof sum);
            averagedIndex = slot++;
        }
        for (ObjFaceNode *node = head; node; node = node->next) {
            ObjTriangle &triangle = model->faces[node->index];
            // The first corner on this vertex not yet given a normal: a
            // triangle using the vertex twice has two nodes for two corners.
            int corner = -1;
            for (int k = 0; k < 3 && corner < 0; ++k)
                if (triangle.vertexindex[k] == i && triangle.normalindex[k] == 0)
                    corner = k;
            if (corner < 0)
                continue;
            if (node->averaged) {
                triangle.normalindex[corner] = averagedIndex;
            } else {
                std::memcpy(&provisional[3 * slot], facetNormal(node->index), 3 * sizeof(GLfloat));
                triangle.normalindex[corner] = slot++;
            }
        }
    }
    model->normalcount = slot - 1;
    std::free(nodes);
    std::free(members);

    GLfloat *normals = glmAllocatePoints(model->normalcount, 3, "glmVertexNormals");
    std::memcpy(&normals[3], &provisional[3], 3 * sizeof(GLfloat) * model->normalcount);
    std::free(provisional);
    model->normals = normals;
}

void glmPlanarUVs(ObjModel *model)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->vertices);
    std::free(model->uvcoords);
    model->uvcount = model->vertexcount;
    model->uvcoords = glmAllocatePoints(model->uvcount, 2, "glmPlanarUVs");

    // Size 0 means every vertex is at the origin: the factor 1 maps it to
    // the centre of the texture.
    const double scale = boundsOf(model).unitScale();
    for (GLuint i = 1; i <= model->vertexcount; ++i) {
        const GLfloat *v = &model->vertices[3 * i];
        model->uvcoords[2 * i + 0] = narrow((v[0] * scale + 1.0) * 0.5);
        model->uvcoords[2 * i + 1] = narrow((v[2] * scale + 1.0) * 0.5);
    }
    for (ObjGroup *group = model->grouplist; group; group = group->next)
        for (GLuint j = 0; j < group->facecount; ++j) {
            ObjTriangle &triangle = model->faces[group->faceindices[j]];
            for (int k = 0; k < 3; ++k)
                triangle.uvindex[k] = triangle.vertexindex[k];
        }
}

void glmSphereUVs(ObjModel *model)
{
    GLM_ASSERT(model);
    GLM_ASSERT(model->normals);
    std::free(model->uvcoords);
    model->uvcount = model->normalcount;
    model->uvcoords = glmAllocatePoints(model->uvcount, 2, "glmSphereUVs");

    // Ratios are clamped to the domain of acos and asin: rounding of the
    // float lengths could otherwise push them just past 1.
    auto clampUnit = [](GLfloat x) { return x > 1.0f ? 1.0f : (x < -1.0f ? -1.0f : x); };
    for (GLuint i = 1; i <= model->normalcount; ++i) {
        const GLfloat x = model->normals[3 * i + 0];
        const GLfloat y = model->normals[3 * i + 1];
        const GLfloat z = model->normals[3 * i + 2];
        const GLfloat r = std::sqrt(y * y + z * z);
        const GLfloat rho = std::sqrt(x * x + r * r);
        GLfloat u = 0.0f;
        GLfloat v = 0.0f;
        if (r != 0.0f) {
            const GLfloat theta =
                x == 0.0f
                    ? thetaOnYzPlane
                    : static_cast<GLfloat>(std::acos(static_cast<double>(clampUnit(x / rho))));
            const GLfloat phi =
                y == 0.0f ? phiOnXzPlane
                          : static_cast<GLfloat>(std::asin(static_cast<double>(clampUnit(y / r))) +
                                                 phiOffset);
            u = static_cast<GLfloat>(phi / sphereDivisor);
            v = static_cast<GLfloat>(theta / sphereDivisor);
        }
        model->uvcoords[2 * i + 0] = u;
        model->uvcoords[2 * i + 1] = v;
    }
    for (ObjGroup *group = model->grouplist; group; group = group->next)
        for (GLuint j = 0; j < group->facecount; ++j) {
            ObjTriangle &triangle = model->faces[group->faceindices[j]];
            for (int k = 0; k < 3; ++k)
                triangle.uvindex[k] = triangle.normalindex[k];
        }
}
