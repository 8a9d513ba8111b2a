// SPDX-License-Identifier: MIT
// The generated models as the client reads and places them.
#include "glm/glm.h"
#include "render/scenelayout.h"
#include "staged.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace layout {
// Names the model in test output.
void PrintTo(const SceneModel &model, std::ostream *out)
{
    *out << model.modelFile;
}
} // namespace layout

namespace {

using ModelPtr = std::unique_ptr<ObjModel, void (*)(ObjModel *)>;

using Placed = layout::SceneModel;
const Placed &table = layout::tableModel;
const Placed &radar = layout::radarModel;
const Placed &display = layout::displayModel;

constexpr float sweepY = float(layout::sweepHeight);
constexpr float discMinX = float(layout::discCentreX - layout::discSide / 2);
constexpr float discMaxX = float(layout::discCentreX + layout::discSide / 2);
constexpr float discMinZ = float(layout::discCentreZ - layout::discSide / 2);
constexpr float discMaxZ = float(layout::discCentreZ + layout::discSide / 2);

// Reads a model and returns what the library printed meanwhile.
ModelPtr readModel(const char *relative, std::string *printed)
{
    const QString path = stagedPath(relative);
    if (!QFileInfo::exists(path)) {
        ADD_FAILURE() << qPrintable(path) << " is missing"; // the reader would end the process
        return ModelPtr(nullptr, glmFreeModel);
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ObjModel *m = glmReadOBJ(path.toLocal8Bit().data());
    std::fflush(stdout);
    std::fflush(stderr);
    *printed = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    return ModelPtr(m, glmFreeModel);
}

struct Box
{
    float min[3] = {1e9f, 1e9f, 1e9f}, max[3] = {-1e9f, -1e9f, -1e9f};
};

// Scene positions of the fitted model's vertices, as the client draws them.
std::vector<std::array<float, 3>> placedVertices(ObjModel *m, const Placed &p)
{
    const layout::Point &o = p.placement.offset;
    const float offset[3] = {float(o.x), float(o.y), float(o.z)};
    const float scale = float(p.placement.scale);
    std::vector<std::array<float, 3>> out;
    for (GLuint i = 1; i <= m->vertexcount; ++i) {
        std::array<float, 3> v;
        for (int a = 0; a < 3; ++a)
            v[a] = offset[a] + scale * m->vertices[3 * i + a];
        out.push_back(v);
    }
    return out;
}

Box boxOf(const std::vector<std::array<float, 3>> &vs)
{
    Box b;
    for (const auto &v : vs)
        for (int a = 0; a < 3; ++a) {
            b.min[a] = std::min(b.min[a], v[a]);
            b.max[a] = std::max(b.max[a], v[a]);
        }
    return b;
}

class Models : public testing::TestWithParam<Placed>
{
};

TEST_P(Models, readWithoutMessagesAndWithTexturedMaterialGroups)
{
    std::string printed;
    ModelPtr m = readModel(GetParam().modelFile, &printed);
    ASSERT_TRUE(m);
    EXPECT_EQ(printed, "");
    EXPECT_GT(m->facecount, 0u);
    ASSERT_GT(m->uvcount, 0u);
    ASSERT_GT(m->normalcount, 0u);
    for (GLuint t = 0; t < m->facecount; ++t)
        for (int c = 0; c < 3; ++c) {
            ASSERT_GE(m->faces[t].uvindex[c], 1u) << "triangle " << t;
            ASSERT_LE(m->faces[t].uvindex[c], m->uvcount);
            ASSERT_GE(m->faces[t].normalindex[c], 1u);
            ASSERT_LE(m->faces[t].vertexindex[c], m->vertexcount);
        }
    for (GLuint i = 1; i <= m->uvcount; ++i)
        for (int a = 0; a < 2; ++a) {
            EXPECT_GE(m->uvcoords[2 * i + a], 0.0f);
            EXPECT_LE(m->uvcoords[2 * i + a], 1.0f);
        }
    // Every group with faces has a material of its own from the library.
    ASSERT_GT(m->materialcount, 1u);
    int groupsWithFaces = 0;
    for (ObjGroup *g = m->grouplist; g; g = g->next)
        if (g->facecount > 0) {
            ++groupsWithFaces;
            EXPECT_NE(g->material, 0u) << g->name;
        }
    EXPECT_GE(groupsWithFaces, 2);
}

TEST_P(Models, fitTheUnitCubeAndAreStoredFitted)
{
    std::string printed;
    ModelPtr m = readModel(GetParam().modelFile, &printed);
    ASSERT_TRUE(m);
    const GLfloat scale = glmFitToUnitCube(m.get());
    EXPECT_NEAR(scale, 1.0f, 1e-4f);
    GLfloat size[3];
    glmExtent(m.get(), size);
    EXPECT_NEAR(std::max({size[0], size[1], size[2]}), 2.0f, 1e-4f);
    for (GLuint i = 1; i <= m->vertexcount; ++i)
        for (int a = 0; a < 3; ++a) {
            ASSERT_GE(m->vertices[3 * i + a], -1.0001f);
            ASSERT_LE(m->vertices[3 * i + a], 1.0001f);
        }
}

INSTANTIATE_TEST_SUITE_P(Staged, Models, testing::Values(table, radar, display),
                         [](const testing::TestParamInfo<Placed> &info) {
                             return std::string(
                                 QFileInfo(info.param.modelFile).baseName().toLatin1());
                         });

ModelPtr placedModel(const Placed &p, std::vector<std::array<float, 3>> *vertices)
{
    std::string printed;
    ModelPtr m = readModel(p.modelFile, &printed);
    if (m) {
        glmFitToUnitCube(m.get());
        *vertices = placedVertices(m.get(), p);
    }
    return m;
}

TEST(Scene, tableTopSitsJustBelowTheSweepAndCarriesTheDisc)
{
    std::vector<std::array<float, 3>> vs;
    ASSERT_TRUE(placedModel(table, &vs));
    const Box b = boxOf(vs);
    EXPECT_LT(b.max[1], sweepY);
    EXPECT_GT(b.max[1], sweepY - 0.02f);
    EXPECT_LE(b.min[0], discMinX);
    EXPECT_GE(b.max[0], discMaxX);
    EXPECT_LE(b.min[2], discMinZ);
    // The display stands on the table, so the table reaches past it.
    EXPECT_GE(b.max[2], 3.0f);
    // Wide and flat.
    EXPECT_LT(b.max[1] - b.min[1], 0.1f * (b.max[0] - b.min[0]));
}

TEST(Scene, radarRisesAboveTheDiscOnACompactMast)
{
    std::vector<std::array<float, 3>> vs;
    ASSERT_TRUE(placedModel(radar, &vs));
    float top = 0;
    for (const auto &v : vs) {
        top = std::max(top, v[1]);
        if (v[1] > sweepY) {
            // Above the table it keeps clear of most of the disc.
            EXPECT_LT(std::abs(v[0]), 1.0f);
            EXPECT_LT(std::abs(v[2]), 0.3f);
        }
    }
    EXPECT_GT(top, 2.2f);
    // Low enough that the corner markers behind it stay in view.
    EXPECT_LT(top, 2.6f);
}

TEST(Scene, displayStandsAtTheNearEdgeWithoutCuttingTheDisc)
{
    std::vector<std::array<float, 3>> vs;
    ASSERT_TRUE(placedModel(display, &vs));
    const Box b = boxOf(vs);
    EXPECT_GT(b.max[1], 1.7f);  // shows above the table
    EXPECT_LT(b.max[1], 1.95f); // and keeps the disc's near ring in view
    for (const auto &v : vs) {
        if (v[1] > sweepY) {
            EXPECT_GT(v[2], discMaxZ + 0.1f);
        }
    }
}

} // namespace
