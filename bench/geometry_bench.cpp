// SPDX-License-Identifier: MIT
// Geometry: glmFaceNormals followed by glmVertexNormals(90), as the scene
// set-up runs them, on generated surfaces of growing size. The time must
// grow linearly with the triangle count.
#include "bench/modelbenchmarks.h"
#include "bench/modelgen.h"

#include "glm/glm.h"

#include <utility>
#include <vector>

namespace {

constexpr GLfloat creaseAngleDegrees = 90.0f;
constexpr double maxGrowthFor4x = 4.5; // 4 times the triangles, at most 4.5 times the time
constexpr double growthFactor = 4.0;
constexpr double nanosecondsPerSecond = 1e9;

struct GeometryCase
{
    std::string label;
    GridShape shape;
};

std::vector<GeometryCase> cases;

std::string benchName(const GeometryCase &c)
{
    return "geometry/" + c.label + "/normals";
}

void benchNormals(benchmark::State &state, const GeometryCase *c)
{
    ObjModel *model = makeGridModel(c->shape);
    // One untimed pass first: the first use of freshly generated memory
    // costs page faults out of proportion for one iteration, and the
    // largest size would run just that one.
    glmFaceNormals(model);
    glmVertexNormals(model, creaseAngleDegrees);
    for (auto _ : state) {
        glmFaceNormals(model);
        glmVertexNormals(model, creaseAngleDegrees);
    }
    // A smooth grid gets one averaged normal per point.
    if (model->normalcount != model->vertexcount)
        state.SkipWithError(
            printed("%u normals for %u points", model->normalcount, model->vertexcount).c_str());
    state.counters["triangles"] = double(model->facecount);
    state.SetItemsProcessed(int64_t(state.iterations()) * model->facecount);
    glmFreeModel(model);
}

} // namespace

void registerGeometryBenchmarks(const BenchOptions &options)
{
    const std::vector<std::pair<std::string, std::size_t>> sizes =
        options.smoke ? std::vector<std::pair<std::string, std::size_t>>{{"1k", 1000},
                                                                         {"4k", 4000},
                                                                         {"16k", 16000}}
                      : std::vector<std::pair<std::string, std::size_t>>{
                            {"100k", 100000}, {"1M", 1000000}, {"4M", 4000000}};
    for (const auto &size : sizes)
        cases.push_back(GeometryCase{size.first, gridFor(size.second)});
    for (const GeometryCase &c : cases)
        registerModelBenchmark(benchName(c), benchNormals, &c);
}

void summarizeGeometry(const ResultStore &results, const BenchOptions &options,
                       const MemoryCondition &condition, FigureTable &table)
{
    for (const GeometryCase &c : cases) {
        const Measurement *m = results.find(benchName(c));
        table.figure(printed("glmFaceNormals + glmVertexNormals(90), %s (%zu triangles)",
                             c.label.c_str(), c.shape.triangles()),
                     m ? printed("%s (%.1f ns per triangle)", wallAndCpu(*m).c_str(),
                                 m->seconds * nanosecondsPerSecond / double(c.shape.triangles()))
                       : std::string("not measured"));
    }
    // The last two sizes are 4 times apart.
    const GeometryCase &small = cases[cases.size() - 2];
    const GeometryCase &large = cases.back();
    const double t1 = results.seconds(benchName(small));
    const double t4 = results.seconds(benchName(large));
    const std::string what =
        "Geometry: time " + large.label + " / " + small.label + ", " + condition.title;
    const std::string required = printed("<= %.1f", maxGrowthFor4x);
    if (t1 <= 0 || t4 <= 0) {
        table.targetNotMeasured(what, required, "a size was not run");
        return;
    }
    // Triangle counts are only nearly 4 apart; scale to exactly 4.
    const double ratio =
        t4 / t1 * growthFactor * double(small.shape.triangles()) / double(large.shape.triangles());
    table.figure("Growth " + large.label + " / " + small.label + " (per 4x triangles)",
                 printed("%.2f", ratio));
    if (!options.smoke)
        table.target(what, printed("%.2f", ratio), required, ratio <= maxGrowthFor4x);
}
