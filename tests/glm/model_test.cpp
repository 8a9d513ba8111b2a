// SPDX-License-Identifier: MIT
// The model record's helpers: groups, materials, paths, float and vector
// functions, and freeing partly filled models.
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using glmtest::ModelPtr;
using glmtest::readModel;
using glmtest::TempDir;

ModelPtr emptyModel(const TempDir &dir)
{
    return readModel(dir.write("empty.obj", ""));
}

TEST(ModelGroups, freshModelHasOnlyDefaultGroup)
{
    TempDir dir;
    const std::string path = dir.write("empty.obj", "");
    ModelPtr model = readModel(path);
    EXPECT_STREQ(model->path, path.c_str());
    EXPECT_EQ(model->materiallib, nullptr);
    EXPECT_EQ(model->groupcount, 1u);
    ASSERT_NE(model->grouplist, nullptr);
    EXPECT_STREQ(model->grouplist->name, "default");
    EXPECT_EQ(model->grouplist->next, nullptr);
    EXPECT_EQ(model->vertexcount, 0u);
    EXPECT_NE(model->vertices, nullptr);
    EXPECT_EQ(model->facecount, 0u);
    EXPECT_EQ(model->facetnorms, nullptr);
    EXPECT_EQ(model->origin[0], 0.0f);
    EXPECT_EQ(model->origin[1], 0.0f);
    EXPECT_EQ(model->origin[2], 0.0f);
}

TEST(ModelGroups, appendPutsNewGroupsFirstAndReusesNames)
{
    TempDir dir;
    ModelPtr model = emptyModel(dir);
    ObjGroup *a = glmAppendGroup(model.get(), "A");
    ObjGroup *b = glmAppendGroup(model.get(), "B");
    EXPECT_EQ(model->groupcount, 3u);
    EXPECT_EQ(glmAppendGroup(model.get(), "A"), a);
    EXPECT_EQ(model->groupcount, 3u);

    ASSERT_EQ(model->grouplist, b);
    ASSERT_EQ(b->next, a);
    ASSERT_NE(a->next, nullptr);
    EXPECT_STREQ(a->next->name, "default");
    EXPECT_EQ(b->facecount, 0u);
    EXPECT_EQ(b->faceindices, nullptr);
    EXPECT_EQ(b->material, 0u);

    EXPECT_EQ(glmLookupGroup(model.get(), "B"), b);
    EXPECT_EQ(glmLookupGroup(model.get(), "b"), nullptr); // case-sensitive
    EXPECT_EQ(glmLookupGroup(model.get(), "missing"), nullptr);
}

TEST(ModelGroups, appendCopiesTheName)
{
    TempDir dir;
    ModelPtr model = emptyModel(dir);
    char name[] = "mutable";
    ObjGroup *group = glmAppendGroup(model.get(), name);
    name[0] = 'X';
    EXPECT_STREQ(group->name, "mutable");
}

TEST(ModelMaterials, findWithoutMaterialsPrintsAndReturnsZero)
{
    TempDir dir;
    ModelPtr model = emptyModel(dir);
    testing::internal::CaptureStdout();
    const GLuint index = glmFindMaterial(model.get(), "red");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "glmFindMaterial():  can't find material \"red\".\n");
    EXPECT_EQ(index, 0u);
}

TEST(ModelPaths, directoryOfKeepsEverythingUpToLastSlash)
{
    const auto directoryOf = [](const char *path) {
        char *directory = glmDirectoryOf(path);
        std::string result = directory;
        std::free(directory);
        return result;
    };
    EXPECT_EQ(directoryOf("mdl/radar2.obj"), "mdl/");
    EXPECT_EQ(directoryOf("radar2.obj"), "");
    EXPECT_EQ(directoryOf("/a/b/c/model.obj"), "/a/b/c/");
    EXPECT_EQ(directoryOf("a\\b\\model.obj"), "");
    EXPECT_EQ(directoryOf("dir/"), "dir/");
    EXPECT_EQ(directoryOf(""), "");
}

TEST(ModelFloats, maxAndAbs)
{
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    EXPECT_EQ(glmMax(1.0f, 2.0f), 2.0f);
    EXPECT_EQ(glmMax(3.0f, -2.0f), 3.0f);
    EXPECT_EQ(glmMax(7.0f, nan), 7.0f);
    EXPECT_TRUE(std::isnan(glmMax(nan, 7.0f)));
    // Equal arguments give the first: tell +0 and -0 apart.
    EXPECT_TRUE(std::signbit(glmMax(-0.0f, 0.0f)));
    EXPECT_FALSE(std::signbit(glmMax(0.0f, -0.0f)));

    EXPECT_EQ(glmAbs(-2.5f), 2.5f);
    EXPECT_EQ(glmAbs(2.5f), 2.5f);
    EXPECT_TRUE(std::signbit(glmAbs(-0.0f))); // -0 is not below 0
}

TEST(ModelVectors, normalizeGivesUnitLength)
{
    GLfloat v[3] = {3.0f, 0.0f, -4.0f};
    glmNormalizeVector(v);
    EXPECT_EQ(v[0], 0.6f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_EQ(v[2], -0.8f);
}

TEST(ModelVectors, normalizeLeavesZeroVectorFinite)
{
    GLfloat v[3] = {0.0f, 0.0f, 0.0f};
    glmNormalizeVector(v);
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_EQ(v[2], 0.0f);
}

TEST(ModelAssertions, preconditionsNameExpressionAndLibrary)
{
    EXPECT_DEATH(glmNormalizeVector(nullptr), "glm:[0-9]+: .*Assertion `v' failed");
    EXPECT_DEATH(glmLookupGroup(nullptr, "x"), "glm:[0-9]+: .*Assertion `model' failed");
    EXPECT_DEATH(glmAppendGroup(nullptr, "x"), "glm:[0-9]+: .*Assertion `model' failed");
    EXPECT_DEATH(glmFreeModel(nullptr), "glm:[0-9]+: .*Assertion `model' failed");
}

// Freeing a model that has every optional part (materials, groups with
// triangles, normals, texture coordinates) and one that has none; the
// sanitizer build checks that all of it is released.
TEST(ModelFreeing, freesFullAndBareModels)
{
    TempDir dir;
    dir.write("m.mtl", "newmtl red\nKd 1 0 0\n");
    ModelPtr full = readModel(dir.write("full.obj", "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                                    "vn 0 0 1\nvt 0 0\ng a\nusemtl red\n"
                                                    "f 1/1/1 2/1/1 3/1/1\n"));
    EXPECT_EQ(full->materialcount, 2u);
    EXPECT_EQ(full->groupcount, 2u);
    ModelPtr bare = readModel(dir.write("bare.obj", "v 0 0 0\n"));
    EXPECT_EQ(bare->normals, nullptr);
    EXPECT_EQ(bare->uvcoords, nullptr);
    EXPECT_EQ(bare->materiallist, nullptr);
}

} // namespace
