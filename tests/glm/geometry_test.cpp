// SPDX-License-Identifier: MIT
// Geometry operations on models read from small OBJ files.
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using glmtest::ModelPtr;
using glmtest::readModel;
using glmtest::TempDir;

using Vec3 = std::array<GLfloat, 3>;

Vec3 at(const GLfloat *array, GLuint index)
{
    return {array[3 * index], array[3 * index + 1], array[3 * index + 2]};
}

bool allFinite(const GLfloat *array, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(array[i]))
            return false;
    return true;
}

// Unit cube with outward, counter-clockwise triangles: two per side, in the
// order -z, +z, -y, +y, -x, +x.
const char *const cubeObj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                            "v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
                            "f 1 4 3\nf 1 3 2\nf 5 6 7\nf 5 7 8\nf 1 2 6\nf 1 6 5\n"
                            "f 4 8 7\nf 4 7 3\nf 1 5 8\nf 1 8 4\nf 2 3 7\nf 2 7 6\n";

class Geometry : public ::testing::Test
{
protected:
    ModelPtr read(const std::string &text) { return readModel(dir.write("m.obj", text)); }
    TempDir dir;
};

TEST_F(Geometry, fitToUnitCubeCentresAndScalesByLargestSize)
{
    ModelPtr model = read("v -3 0 -1\nv 1 2 1\nv 0 1 0\n");
    EXPECT_EQ(glmFitToUnitCube(model.get()), 0.5f);
    EXPECT_EQ(at(model->vertices, 1), (Vec3{-1.0f, -0.5f, -0.5f}));
    EXPECT_EQ(at(model->vertices, 2), (Vec3{1.0f, 0.5f, 0.5f}));
    EXPECT_EQ(at(model->vertices, 3), (Vec3{0.5f, 0.0f, 0.0f}));
}

TEST_F(Geometry, extentAddsMagnitudesOfExtremes)
{
    ModelPtr model = read("v 2 0 -1\nv 4 1 -3\nv 3 0.5 -2\n");
    GLfloat dimensions[3];
    glmExtent(model.get(), dimensions);
    EXPECT_EQ(dimensions[0], 6.0f); // not 4 - 2
    EXPECT_EQ(dimensions[1], 1.0f);
    EXPECT_EQ(dimensions[2], 4.0f);
}

TEST_F(Geometry, scaleMultipliesEveryCoordinate)
{
    ModelPtr model = read("v 1 -2 3\nv 0.5 0 -0.25\n");
    glmScaleModel(model.get(), 4.0f);
    EXPECT_EQ(at(model->vertices, 1), (Vec3{4.0f, -8.0f, 12.0f}));
    EXPECT_EQ(at(model->vertices, 2), (Vec3{2.0f, 0.0f, -1.0f}));
}

TEST_F(Geometry, faceNormalsFollowRightHandRule)
{
    ModelPtr model = read("v 0 0 0\nv 2 0 0\nv 0 3 0\nf 1 2 3\nf 1 3 2\n");
    glmFaceNormals(model.get());
    ASSERT_EQ(model->facetnormcount, 2u);
    EXPECT_EQ(model->faces[0].facetindex, 1u);
    EXPECT_EQ(model->faces[1].facetindex, 2u);
    EXPECT_EQ(at(model->facetnorms, 1), (Vec3{0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(at(model->facetnorms, 2), (Vec3{0.0f, 0.0f, -1.0f}));
    glmFaceNormals(model.get()); // repeatable: the old array is released
    EXPECT_EQ(model->facetnormcount, 2u);
}

TEST_F(Geometry, flipWindingTwiceRestoresExactly)
{
    ModelPtr model = read("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                          "vn 0 0 1\nvn 0 0.6 0.8\nf 1/1/1 2/2/1 3/3/2\n");
    glmFaceNormals(model.get());
    const ObjTriangle before = model->faces[0];
    const std::vector<GLfloat> normals(model->normals, model->normals + 9);
    const std::vector<GLfloat> facets(model->facetnorms, model->facetnorms + 6);

    glmFlipWinding(model.get());
    const ObjTriangle &once = model->faces[0];
    EXPECT_EQ(once.vertexindex[0], 3u);
    EXPECT_EQ(once.vertexindex[2], 1u);
    EXPECT_EQ(once.uvindex[0], 3u);
    EXPECT_EQ(once.normalindex[0], 2u);
    EXPECT_EQ(at(model->normals, 1), (Vec3{0.0f, 0.0f, -1.0f}));
    EXPECT_TRUE(std::signbit(model->normals[3])); // 0 became -0
    EXPECT_EQ(at(model->facetnorms, 1), (Vec3{0.0f, 0.0f, -1.0f}));

    glmFlipWinding(model.get());
    EXPECT_EQ(std::memcmp(&model->faces[0], &before, sizeof before), 0);
    EXPECT_EQ(std::memcmp(model->normals, normals.data(), 9 * sizeof(GLfloat)), 0);
    EXPECT_EQ(std::memcmp(model->facetnorms, facets.data(), 6 * sizeof(GLfloat)), 0);
}

TEST_F(Geometry, vertexNormalsOnCubeGiveThreeDirectionsPerCorner)
{
    ModelPtr model = read(cubeObj);
    glmFaceNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    // Per vertex: one averaged normal for the side of its highest-numbered
    // triangle, plus a copy per use by a perpendicular side's triangle.
    EXPECT_EQ(model->normalcount, 32u);

    std::vector<std::set<Vec3>> directions(model->vertexcount + 1);
    for (GLuint t = 0; t < model->facecount; ++t) {
        const ObjTriangle &triangle = model->faces[t];
        for (int k = 0; k < 3; ++k) {
            ASSERT_GE(triangle.normalindex[k], 1u);
            ASSERT_LE(triangle.normalindex[k], model->normalcount);
            const Vec3 n = at(model->normals, triangle.normalindex[k]);
            // At 90 degrees no two sides mix: every corner shows its side.
            EXPECT_EQ(n, at(model->facetnorms, triangle.facetindex));
            directions[triangle.vertexindex[k]].insert(n);
        }
    }
    for (GLuint i = 1; i <= model->vertexcount; ++i)
        EXPECT_EQ(directions[i].size(), 3u) << "vertex " << i;

    // Vertex 1 is first: its averaged -x normal, then copies of the facet
    // normals of its other triangles in descending triangle order.
    EXPECT_EQ(at(model->normals, 1), (Vec3{-1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(at(model->normals, 2), (Vec3{0.0f, -1.0f, 0.0f}));
    EXPECT_EQ(at(model->normals, 3), (Vec3{0.0f, -1.0f, 0.0f}));
    EXPECT_EQ(at(model->normals, 4), (Vec3{0.0f, 0.0f, -1.0f}));
    EXPECT_EQ(at(model->normals, 5), (Vec3{0.0f, 0.0f, -1.0f}));
    EXPECT_EQ(model->faces[9].normalindex[0], 1u);
    EXPECT_EQ(model->faces[8].normalindex[0], 1u);
    EXPECT_EQ(model->faces[0].normalindex[0], 5u);
}

std::string gridObj()
{
    std::string text;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            text += "v " + std::to_string(c) + " " + std::to_string(r) + " 0\n";
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            const int a = 1 + 3 * r + c;
            const int b = a + 1;
            const int d = a + 3;
            const int e = d + 1;
            text += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(e) +
                    "\nf " + std::to_string(a) + " " + std::to_string(e) + " " + std::to_string(d) +
                    "\n";
        }
    return text;
}

TEST_F(Geometry, vertexNormalsOnFlatGridGiveOneNormalPerVertex)
{
    ModelPtr model = read(gridObj() + "vn 1 0 0\n");
    glmFaceNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    ASSERT_EQ(model->normalcount, 9u);
    for (GLuint i = 1; i <= 9; ++i)
        EXPECT_EQ(at(model->normals, i), (Vec3{0.0f, 0.0f, 1.0f}));
    for (GLuint t = 0; t < model->facecount; ++t)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(model->faces[t].normalindex[k], model->faces[t].vertexindex[k]);
}

TEST_F(Geometry, unusedVertexIsReportedAndGetsNoNormal)
{
    ModelPtr model = read(gridObj() + "v 5 5 5\nv 6 6 6\n");
    glmFaceNormals(model.get());
    testing::internal::CaptureStderr();
    glmVertexNormals(model.get(), 90.0f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "glmVertexNormals(): vertex w/o a triangle\n"
              "glmVertexNormals(): vertex w/o a triangle\n");
    EXPECT_EQ(model->normalcount, 9u);
}

// Two triangles meeting at 60 degrees along the edge A-B.
const char *const hingeObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 -0.5 0.8660254\n"
                             "f 1 2 3\nf 2 1 4\n";

TEST_F(Geometry, creaseAngleDecidesWhetherNormalsAreAveraged)
{
    ModelPtr smooth = read(hingeObj);
    glmFaceNormals(smooth.get());
    glmVertexNormals(smooth.get(), 90.0f);
    ASSERT_EQ(smooth->normalcount, 4u);
    const Vec3 averaged = at(smooth->normals, 1);
    EXPECT_NEAR(averaged[0], 0.0f, 1e-6);
    EXPECT_NEAR(averaged[1], 0.5f, 1e-6);
    EXPECT_NEAR(averaged[2], 0.8660254f, 1e-6);
    EXPECT_EQ(smooth->faces[0].normalindex[0], 1u);
    EXPECT_EQ(smooth->faces[1].normalindex[1], 1u);

    ModelPtr sharp = readModel(dir.write("sharp.obj", hingeObj));
    glmFaceNormals(sharp.get());
    glmVertexNormals(sharp.get(), 45.0f);
    EXPECT_EQ(sharp->normalcount, 6u);
    // Each corner keeps its own side's direction (renormalized where it is
    // a one-member average).
    for (GLuint t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            const Vec3 n = at(sharp->normals, sharp->faces[t].normalindex[k]);
            const Vec3 f = at(sharp->facetnorms, t + 1);
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_NEAR(n[axis], f[axis], 1e-6);
        }
}

TEST_F(Geometry, planarUvsProjectOntoXzPlane)
{
    ModelPtr model = read("v -2 0 -1\nv 2 1 1\nv 0 0 0\nvt 9 9\nf 1/1 2/1 3/1\n");
    glmPlanarUVs(model.get());
    ASSERT_EQ(model->uvcount, 3u);
    EXPECT_EQ(model->uvcoords[2], 0.0f);
    EXPECT_EQ(model->uvcoords[3], 0.25f);
    EXPECT_EQ(model->uvcoords[4], 1.0f);
    EXPECT_EQ(model->uvcoords[5], 0.75f);
    EXPECT_EQ(model->uvcoords[6], 0.5f);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(model->faces[0].uvindex[k], model->faces[0].vertexindex[k]);
}

TEST_F(Geometry, sphereUvsFromNormals)
{
    ModelPtr model =
        read("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 1 0 0\nvn 0 1 0\nf 1//3 2//2 3//1\n");
    glmSphereUVs(model.get());
    ASSERT_EQ(model->uvcount, 3u);
    // (0, 0, 1): the two right-angle constants differ in their last bits.
    const GLfloat u1 = model->uvcoords[2];
    const GLfloat v1 = model->uvcoords[3];
    EXPECT_NEAR(u1, 0.5f, 1e-6);
    EXPECT_NEAR(v1, 0.5f, 1e-6);
    EXPECT_EQ(u1, static_cast<GLfloat>(1.5707961f / 3.14159265));
    EXPECT_EQ(v1, static_cast<GLfloat>(1.5707964f / 3.14159265));
    EXPECT_NE(u1, v1);
    // (1, 0, 0): r is 0.
    EXPECT_EQ(model->uvcoords[4], 0.0f);
    EXPECT_EQ(model->uvcoords[5], 0.0f);
    // (0, 1, 0): phi is a half turn.
    EXPECT_NEAR(model->uvcoords[6], 1.0f, 1e-6);
    EXPECT_NEAR(model->uvcoords[7], 0.5f, 1e-6);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(model->faces[0].uvindex[k], model->faces[0].normalindex[k]);
}

TEST_F(Geometry, modelWithoutVerticesIsHarmless)
{
    ModelPtr model = read("");
    EXPECT_EQ(glmFitToUnitCube(model.get()), 1.0f);
    GLfloat dimensions[3] = {-1.0f, -1.0f, -1.0f};
    glmExtent(model.get(), dimensions);
    EXPECT_EQ(dimensions[0], 0.0f);
    EXPECT_EQ(dimensions[2], 0.0f);
    glmPlanarUVs(model.get());
    EXPECT_EQ(model->uvcount, 0u);
    glmFaceNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    EXPECT_EQ(model->normalcount, 0u);
    glmSphereUVs(model.get());
    glmFlipWinding(model.get());
}

TEST_F(Geometry, modelOfSizeZeroStaysFinite)
{
    ModelPtr model = read("v 0 0 0\nv 0 -0 0\nv 0 0 0\nf 1 2 3\n");
    EXPECT_EQ(glmFitToUnitCube(model.get()), 1.0f);
    EXPECT_TRUE(allFinite(model->vertices + 3, 9));
    glmPlanarUVs(model.get());
    EXPECT_EQ(model->uvcoords[2], 0.5f);
    EXPECT_EQ(model->uvcoords[3], 0.5f);
    glmFaceNormals(model.get());
    EXPECT_EQ(at(model->facetnorms, 1), (Vec3{0.0f, 0.0f, 0.0f}));
    glmVertexNormals(model.get(), 90.0f);
    EXPECT_TRUE(allFinite(model->normals + 3, 3 * model->normalcount));
    glmSphereUVs(model.get());
    EXPECT_TRUE(allFinite(model->uvcoords + 2, 2 * model->uvcount));
}

// Coordinates near the largest float: sizes pass the float range, yet the
// fitted model and its planar texture coordinates stay finite and apart.
TEST_F(Geometry, extremeCoordinatesFitFiniteAndDistinct)
{
    ModelPtr model = read("v 3.4e38 -3.4e38 1\nv -3.4e38 3.4e38 -1\nv 3.3e38 0 0\n"
                          "v -1e38 1e38 3.4e38\n");
    GLfloat dimensions[3];
    glmExtent(model.get(), dimensions);
    EXPECT_EQ(dimensions[0], FLT_MAX);
    EXPECT_EQ(dimensions[2], 3.4e38f);

    const GLfloat scale = glmFitToUnitCube(model.get());
    EXPECT_GT(scale, 0.0f);
    EXPECT_TRUE(std::isfinite(scale));
    EXPECT_TRUE(allFinite(model->vertices + 3, 12));
    EXPECT_FLOAT_EQ(model->vertices[3], 1.0f);
    EXPECT_FLOAT_EQ(model->vertices[6], -1.0f);
    std::set<Vec3> fitted;
    for (GLuint i = 1; i <= 4; ++i)
        fitted.insert(at(model->vertices, i));
    EXPECT_EQ(fitted.size(), 4u);

    ModelPtr unfitted = read("v 3.4e38 -3.4e38 1\nv -3.4e38 3.4e38 -1\nv 3.3e38 0 0\n");
    glmPlanarUVs(unfitted.get());
    EXPECT_FLOAT_EQ(unfitted->uvcoords[2], 1.0f);
    EXPECT_NEAR(unfitted->uvcoords[4], 0.0f, 1e-6);
    EXPECT_GT(unfitted->uvcoords[6], 0.98f);
    EXPECT_LT(unfitted->uvcoords[6], 1.0f);
}

// A degenerate triangle next to a proper one: it gets a zero facet normal,
// never joins an average (even at a crease angle of 180 degrees), and its
// corners all get normals inside the array, also where it uses one vertex
// twice.
TEST_F(Geometry, degenerateTrianglesNeverJoinAverages)
{
    ModelPtr model =
        read("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 2 0 0\nf 1 2 3\nf 1 2 4\nf 2 2 3\nf 1 2 3\n");
    glmFaceNormals(model.get());
    EXPECT_EQ(at(model->facetnorms, 2), (Vec3{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(at(model->facetnorms, 3), (Vec3{0.0f, 0.0f, 0.0f}));
    glmVertexNormals(model.get(), 180.0f);
    EXPECT_TRUE(allFinite(model->normals + 3, 3 * model->normalcount));
    for (GLuint t = 0; t < model->facecount; ++t)
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(model->faces[t].normalindex[k], 1u);
            EXPECT_LE(model->faces[t].normalindex[k], model->normalcount);
        }
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(at(model->normals, model->faces[0].normalindex[k]), (Vec3{0.0f, 0.0f, 1.0f}));
    // The last triangle is the reference at vertex 1; the collinear one
    // there keeps its own zero normal instead of joining the average.
    EXPECT_EQ(at(model->normals, model->faces[1].normalindex[0]), (Vec3{0.0f, 0.0f, 0.0f}));
    EXPECT_NE(model->faces[2].normalindex[0], model->faces[2].normalindex[1]);
}

TEST_F(Geometry, preconditionsAreAsserted)
{
    ObjModel bare = {};
    ModelPtr flat = read("v 0 0 0\n");
    EXPECT_DEATH(glmFitToUnitCube(nullptr), "glm:[0-9]+: .*Assertion `model' failed");
    EXPECT_DEATH(glmFitToUnitCube(&bare), "glm:[0-9]+: .*Assertion `model->vertices' failed");
    EXPECT_DEATH(glmFaceNormals(&bare), "glm:[0-9]+: .*Assertion `model->vertices' failed");
    EXPECT_DEATH(glmExtent(flat.get(), nullptr), "glm:[0-9]+: .*Assertion `dimensions' failed");
    EXPECT_DEATH(glmFlipWinding(nullptr), "glm:[0-9]+: .*Assertion `model' failed");
    EXPECT_DEATH(glmPlanarUVs(nullptr), "glm:[0-9]+: .*Assertion `model' failed");
    EXPECT_DEATH(glmVertexNormals(flat.get(), 90.0f),
                 "glm:[0-9]+: .*Assertion `model->facetnorms' failed");
    EXPECT_DEATH(glmSphereUVs(flat.get()), "glm:[0-9]+: .*Assertion `model->normals' failed");
}

} // namespace
