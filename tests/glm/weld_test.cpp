// SPDX-License-Identifier: MIT
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <limits>
#include <random>
#include <vector>

using namespace glmtest;

namespace {

const GLfloat posInf = std::numeric_limits<GLfloat>::infinity();
const GLfloat qnan = std::numeric_limits<GLfloat>::quiet_NaN();

// The plain first-match scan the grid must reproduce: each vector against
// the kept ones in kept order, equal when |difference| < epsilon in x, then
// y, then z, in single precision.
GLfloat *referenceMerge(GLfloat *vectors, GLuint *numvectors, GLfloat epsilon)
{
    GLuint n = *numvectors;
    GLfloat *result = (GLfloat *)malloc(3 * (size_t(n) + 1) * sizeof(GLfloat));
    memcpy(result, vectors, 3 * (size_t(n) + 1) * sizeof(GLfloat));
    auto absolute = [](GLfloat f) { return f < 0 ? -f : f; };
    GLuint kept = 0;
    for (GLuint i = 1; i <= n; ++i) {
        GLuint j = 0;
        for (GLuint k = 1; k <= kept && j == 0; ++k)
            if (absolute(vectors[3 * i + 0] - result[3 * k + 0]) < epsilon &&
                absolute(vectors[3 * i + 1] - result[3 * k + 1]) < epsilon &&
                absolute(vectors[3 * i + 2] - result[3 * k + 2]) < epsilon)
                j = k;
        if (j == 0) {
            j = ++kept;
            memcpy(result + 3 * j, vectors + 3 * i, 3 * sizeof(GLfloat));
        }
        vectors[3 * i] = GLfloat(j);
    }
    *numvectors = kept;
    return result;
}

// Runs both merges on copies of data (element 0 included) and demands
// identical counts, result blocks and index maps, bit for bit.
void expectSameAsReference(const std::vector<GLfloat> &data, GLfloat epsilon,
                           const std::string &what)
{
    GLuint n = GLuint(data.size() / 3 - 1);
    std::vector<GLfloat> mine = data, theirs = data;
    GLuint mineCount = n, theirCount = n;
    GLfloat *mineResult = glmMergeVectors(mine.data(), &mineCount, epsilon);
    GLfloat *theirResult = referenceMerge(theirs.data(), &theirCount, epsilon);

    EXPECT_EQ(mineCount, theirCount) << what;
    EXPECT_EQ(0, memcmp(mine.data(), theirs.data(), data.size() * sizeof(GLfloat)))
        << what << ": index maps differ";
    EXPECT_EQ(0, memcmp(mineResult, theirResult, data.size() * sizeof(GLfloat)))
        << what << ": kept vectors differ";
    free(mineResult);
    free(theirResult);
}

// Random test data of a few kinds, element 0 included.
std::vector<GLfloat> makeData(std::mt19937 &rng, int kind, GLuint n, GLfloat epsilon)
{
    std::uniform_real_distribution<GLfloat> unit(-1.0f, 1.0f);
    std::vector<GLfloat> data(3 * (size_t(n) + 1), 0.0f);
    GLfloat e = isfinite(epsilon) && epsilon > 0 ? epsilon : 0.01f;
    std::vector<GLfloat> centres(3 * 16);
    for (GLfloat &c : centres)
        c = unit(rng) * 10.0f;
    for (GLuint i = 1; i <= n; ++i) {
        GLfloat *v = &data[3 * i];
        switch (kind) {
        case 0: // spread over a box of side 20
            for (int a = 0; a < 3; ++a)
                v[a] = unit(rng) * 10.0f;
            break;
        case 1: { // clusters a few epsilons wide around a few centres
            const GLfloat *c = &centres[3 * (rng() % 16)];
            for (int a = 0; a < 3; ++a)
                v[a] = c[a] + unit(rng) * 3.0f * e;
            break;
        }
        case 2: // on a lattice of epsilon steps: differences of exactly epsilon
            for (int a = 0; a < 3; ++a)
                v[a] = GLfloat(int(rng() % 7) - 3) * e;
            break;
        case 3: // repeats and near-repeats of earlier vectors
            if (i > 1 && rng() % 2) {
                const GLfloat *old = &data[3 * (1 + rng() % (i - 1))];
                for (int a = 0; a < 3; ++a)
                    v[a] = old[a] + (rng() % 3 == 0 ? unit(rng) * e : 0.0f);
            } else {
                for (int a = 0; a < 3; ++a)
                    v[a] = unit(rng);
            }
            break;
        default: { // special values mixed into small-range data
            static const GLfloat specials[] = {
                qnan,   posInf,  -posInf,  3.0e38f, -3.0e38f,           0.0f,        -0.0f,
                1e-45f, 1.0e30f, -1.0e30f, 1e20f,   1e20f * 1.0000001f, 16777216.0f, 16777218.0f};
            for (int a = 0; a < 3; ++a)
                v[a] = rng() % 3 == 0 ? specials[rng() % (sizeof specials / sizeof *specials)]
                                      : unit(rng) * 2.0f * e;
            break;
        }
        }
    }
    return data;
}

} // namespace

TEST(Weld, coincidingVerticesMergeAndTrianglesFollow)
{
    ObjModel *model = newModel();
    setVertices(model, {0, 0, 0, 5, 5, 5, 0.001f, -0.001f, 0.0005f, 9, 9, 9});
    addTriangle(model, "default", {1, 0, 0}, {2, 0, 0}, {3, 0, 0});
    addTriangle(model, "default", {3, 0, 0}, {4, 0, 0}, {2, 0, 0});

    glmWeldModel(model, 0.01f);

    ASSERT_EQ(3u, model->vertexcount);
    const GLfloat expected[] = {0, 0, 0, 5, 5, 5, 9, 9, 9};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(expected[i], model->vertices[3 + i]) << i;
    const GLuint first[3] = {1, 2, 1}, second[3] = {1, 3, 2};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(first[k], model->faces[0].vertexindex[k]);
        EXPECT_EQ(second[k], model->faces[1].vertexindex[k]);
    }
    glmFreeModel(model);
}

TEST(Weld, nonPositiveEpsilonKeepsEveryVertex)
{
    for (GLfloat epsilon : {0.0f, -1.0f, qnan}) {
        ObjModel *model = newModel();
        std::vector<GLfloat> xyz = {1, 2, 3, 1, 2, 3, 1, 2, 3};
        setVertices(model, xyz);
        addTriangle(model, "default", {3, 0, 0}, {2, 0, 0}, {1, 0, 0});

        glmWeldModel(model, epsilon);

        ASSERT_EQ(3u, model->vertexcount) << epsilon;
        EXPECT_EQ(0, memcmp(xyz.data(), model->vertices + 3, xyz.size() * sizeof(GLfloat)));
        EXPECT_EQ(3u, model->faces[0].vertexindex[0]);
        EXPECT_EQ(1u, model->faces[0].vertexindex[2]);
        glmFreeModel(model);
    }
}

TEST(Weld, weldingLeavesNormalsUVsAndOtherIndicesAlone)
{
    ObjModel *model = newModel();
    setVertices(model, {0, 0, 0, 0, 0, 0, 1, 0, 0});
    setNormals(model, {0, 0, 1});
    setUVs(model, {0.25f, 0.75f});
    addTriangle(model, "default", {1, 1, 1}, {2, 1, 1}, {3, 1, 1});

    glmWeldModel(model, 0.5f);

    EXPECT_EQ(2u, model->vertexcount);
    EXPECT_EQ(1u, model->normalcount);
    EXPECT_EQ(1.0f, model->normals[5]);
    EXPECT_EQ(0.75f, model->uvcoords[3]);
    const ObjTriangle &t = model->faces[0];
    EXPECT_EQ(1u, t.vertexindex[1]);
    EXPECT_EQ(2u, t.vertexindex[2]);
    EXPECT_EQ(1u, t.normalindex[2]);
    EXPECT_EQ(1u, t.uvindex[0]);
    glmFreeModel(model);
}

TEST(MergeVectors, differenceOfExactlyEpsilonStaysDistinct)
{
    // 0.5 apart in x only; the second is within 0.5 of the first in y and z.
    std::vector<GLfloat> v = {0, 0, 0, 1.0f, 2.0f, 3.0f, 1.5f, 2.25f, 3.25f};
    GLuint n = 2;
    GLfloat *result = glmMergeVectors(v.data(), &n, 0.5f);
    EXPECT_EQ(2u, n);
    EXPECT_EQ(1.0f, v[3]);
    EXPECT_EQ(2.0f, v[6]);
    free(result);

    v = {0, 0, 0, 1.0f, 2.0f, 3.0f, 1.5f, 2.25f, 3.25f};
    n = 2;
    result = glmMergeVectors(v.data(), &n, 0.5000001f);
    EXPECT_EQ(1u, n);
    EXPECT_EQ(1.0f, v[6]);
    free(result);
}

TEST(MergeVectors, firstKeptMatchWinsAndOnlyKeptVectorsCount)
{
    // 3 lies within epsilon of kept 1 and 2 and nearer 2: the scan takes 1.
    // 4 lies within epsilon of 3 only, which is not kept: 4 stays distinct.
    std::vector<GLfloat> v = {0, 0, 0, 0, 0, 0, 0.8f, 1.0f, 0, 0.5f, 0.9f, 0, -0.4f, 1.8f, 0};
    GLuint n = 4;
    GLfloat *result = glmMergeVectors(v.data(), &n, 1.0f);
    ASSERT_EQ(3u, n);
    const GLfloat map[] = {1, 2, 1, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(map[i], v[3 * (i + 1)]) << i + 1;
    EXPECT_EQ(1.0f, result[3 * 2 + 1]);
    EXPECT_EQ(1.8f, result[3 * 3 + 1]);
    free(result);
}

TEST(MergeVectors, nanInfinityAndHugeCoordinates)
{
    std::vector<GLfloat> v = {0,      0,      0,     // element 0
                              qnan,   0,      0,     // 1: never matches
                              qnan,   0,      0,     // 2: nor its twin
                              posInf, 1,      1,     // 3
                              posInf, 1,      1,     // 4: posInf - posInf is NaN
                              3e38f,  -3e38f, 1e30f, // 5
                              3e38f,  -3e38f, 1e30f, // 6: equal huge: matches 5
                              -3e38f, 3e38f,  1e30f, // 7: difference overflows
                              1e-45f, 0,      0};    // 8: denormal
    GLuint n = 8;
    GLfloat *result = glmMergeVectors(v.data(), &n, 1e-6f);
    ASSERT_EQ(7u, n);
    const GLfloat map[] = {1, 2, 3, 4, 5, 5, 6, 7};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(map[i], v[3 * (i + 1)]) << i + 1;
    EXPECT_EQ(-3e38f, result[3 * 6]);
    free(result);

    // An infinite epsilon merges every finite pair whose difference stays finite.
    std::vector<GLfloat> w = {0, 0, 0, 3e38f, 0, 0, -3e38f, 0, 0, 1, 2, 3, -1e38f, 5, 5};
    n = 4;
    result = glmMergeVectors(w.data(), &n, posInf);
    EXPECT_EQ(2u, n);
    EXPECT_EQ(1.0f, w[9]);
    EXPECT_EQ(2.0f, w[12]); // -1e38 - 3e38 overflows, so 4 joins 2, not 1
    free(result);
}

TEST(MergeVectors, emptyInputGivesEmptyResult)
{
    std::vector<GLfloat> v = {7, 8, 9};
    GLuint n = 0;
    GLfloat *result = glmMergeVectors(v.data(), &n, 1.0f);
    EXPECT_EQ(0u, n);
    EXPECT_EQ(7.0f, result[0]);
    free(result);
}

TEST(MergeVectors, matchesPlainScanOnRandomData)
{
    const GLfloat epsilons[] = {1e-7f, 1e-4f, 0.01f,  0.1f,   0.5f, 3.0f,
                                50.0f, 1e30f, posInf, 1e-45f, 0.0f, -2.0f};
    const int kinds = 5;
    const int seeds = 24;
    int cases = 0;
    for (int seed = 0; seed < seeds; ++seed)
        for (int kind = 0; kind < kinds; ++kind)
            for (GLfloat epsilon : epsilons) {
                std::mt19937 rng(1000u * seed + 17u * kind + 1u);
                GLuint n = 1 + rng() % 600;
                std::vector<GLfloat> data = makeData(rng, kind, n, epsilon);
                expectSameAsReference(data, epsilon,
                                      "seed " + std::to_string(seed) + " kind " +
                                          std::to_string(kind) + " epsilon " +
                                          std::to_string(epsilon));
                ++cases;
                if (HasFailure())
                    return;
            }
    EXPECT_EQ(seeds * kinds * int(sizeof epsilons / sizeof *epsilons), cases);
}

TEST(MergeVectors, matchesPlainScanOnLargeClusteredData)
{
    // Many vectors, few kept: exercises long cell chains and table growth.
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::mt19937 rng(seed);
        std::vector<GLfloat> data = makeData(rng, 1, 40000, 0.02f);
        expectSameAsReference(data, 0.02f, "seed " + std::to_string(seed));
    }
}
