// SPDX-License-Identifier: MIT
// Welding: glmWeldModel against meshopt_generateVertexRemap on the same
// positions (meshoptimizer merges exact duplicates only, glmWeldModel also
// near ones). Before timing, glmWeldModel is checked against the plain
// first-match scan on a prefix of the set and on a lattice set made so that
// the order of matches matters.
#include "bench/firstmatch.h"
#include "bench/modelbenchmarks.h"
#include "bench/modelgen.h"

#include "glm/glm.h"

#include <meshoptimizer.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr double maxRatioToMeshopt = 2.0;
constexpr double maxGrowthFor4x = 4.5;
constexpr double growthFactor = 4.0;
constexpr std::size_t checkedPrefix = 20000;

// Lattice check set: points on a lattice finer than epsilon, so a point is
// often within epsilon of several kept points and only the first may win.
constexpr std::size_t latticePoints = 20000;
constexpr int latticeSteps = 24;
constexpr GLfloat latticeSpacingInEpsilons = 0.6f;

struct WeldCase
{
    std::string label;
    std::size_t vertices = 0;
    std::shared_ptr<WeldSet> set; // made on first use, shared by both benchmarks
};

std::vector<WeldCase> cases;

std::string glmName(const WeldCase &c)
{
    return "weld/" + c.label + "/glmWeldModel";
}

std::string meshoptName(const WeldCase &c)
{
    return "weld/" + c.label + "/meshopt_generateVertexRemap";
}

const WeldSet &setOf(WeldCase &c)
{
    if (!c.set)
        c.set = std::make_shared<WeldSet>(makeWeldSet(c.vertices));
    return *c.set;
}

// Empty when glmWeldModel on these positions gives exactly the scan's
// vertices and triangle indices.
std::string compareWithScan(const char *what, const WeldSet &set)
{
    const FirstMatchResult expected = firstMatchWeld(set.positions, set.epsilon);
    ObjModel *model = makeWeldModel(set);
    glmWeldModel(model, set.epsilon);
    std::string problem;
    const std::size_t kept = expected.kept.size() / 3;
    if (model->vertexcount != kept)
        problem =
            printed("%s: %u vertices kept, the scan keeps %zu", what, model->vertexcount, kept);
    else if (std::memcmp(&model->vertices[3], expected.kept.data(), kept * 3 * sizeof(GLfloat)))
        problem = printed("%s: kept positions differ from the scan's", what);
    for (GLuint t = 0; problem.empty() && t < model->facecount; ++t)
        for (int k = 0; k < 3; ++k)
            if (model->faces[t].vertexindex[k] != expected.map[3 * t + k + 1]) {
                problem = printed("%s: triangle %u corner %d maps to %u, the scan to %u", what, t,
                                  k, model->faces[t].vertexindex[k], expected.map[3 * t + k + 1]);
                break;
            }
    glmFreeModel(model);
    return problem;
}

WeldSet latticeSet(GLfloat epsilon)
{
    WeldSet set;
    set.epsilon = epsilon;
    set.vertices = latticePoints;
    std::uint64_t state = 0x1A771CE;
    for (std::size_t i = 0; i < 3 * latticePoints; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull; // LCG
        const int step = int((state >> 33) % latticeSteps);
        set.positions.push_back(GLfloat(step) * latticeSpacingInEpsilons * epsilon);
    }
    return set;
}

void benchGlm(benchmark::State &state, WeldCase *c)
{
    const WeldSet &set = setOf(*c);
    ObjModel *model = makeWeldModel(set);
    // Untimed first pass, as for meshoptimizer: first use of fresh memory.
    glmWeldModel(model, set.epsilon);
    for (auto _ : state) {
        state.PauseTiming();
        resetWeldModel(model, set);
        state.ResumeTiming();
        glmWeldModel(model, set.epsilon);
    }
    if (model->vertexcount != set.distinct)
        state.SkipWithError(
            printed("kept %u vertices, expected %zu", model->vertexcount, set.distinct).c_str());
    state.counters["vertices"] = double(set.vertices);
    state.counters["kept"] = double(model->vertexcount);
    state.counters["epsilon"] = double(set.epsilon);
    glmFreeModel(model);
}

void benchMeshopt(benchmark::State &state, WeldCase *c)
{
    const WeldSet &set = setOf(*c);
    std::vector<unsigned> remap(set.vertices);
    std::size_t unique =
        meshopt_generateVertexRemap(remap.data(), nullptr, set.vertices, set.positions.data(),
                                    set.vertices, 3 * sizeof(GLfloat));
    for (auto _ : state)
        unique =
            meshopt_generateVertexRemap(remap.data(), nullptr, set.vertices, set.positions.data(),
                                        set.vertices, 3 * sizeof(GLfloat));
    state.counters["vertices"] = double(set.vertices);
    state.counters["kept"] = double(unique);
}

} // namespace

void registerWeldBenchmarks(const BenchOptions &options)
{
    const std::vector<std::pair<std::string, std::size_t>> sizes =
        options.smoke
            ? std::vector<std::pair<std::string, std::size_t>>{{"3k", 3000}, {"12k", 12000}}
            : std::vector<std::pair<std::string, std::size_t>>{{"1M", 1000000}, {"4M", 4000000}};
    for (const auto &size : sizes)
        cases.push_back(WeldCase{size.first, size.second, nullptr});
    for (WeldCase &c : cases) {
        registerModelBenchmark(glmName(c), benchGlm, &c);
        registerModelBenchmark(meshoptName(c), benchMeshopt, &c);
    }
}

std::string checkWeldAgainstScan()
{
    WeldSet prefix = makeWeldSet(std::min(checkedPrefix, cases.back().vertices));
    const std::string failure = compareWithScan("surface prefix", prefix);
    return failure.empty() ? compareWithScan("lattice", latticeSet(prefix.epsilon)) : failure;
}

void summarizeWeld(const ResultStore &results, const BenchOptions &options,
                   const MemoryCondition &condition, const std::string *checkFailure,
                   FigureTable &table)
{
    if (checkFailure)
        table.figure(
            "glmWeldModel identical to the first-match scan (20k-vertex prefix and lattice)",
            checkFailure->empty() ? "yes" : "**no**: " + *checkFailure);
    double worstRatio = 0.0;
    for (const WeldCase &c : cases) {
        const Measurement *glmRun = results.find(glmName(c));
        const Measurement *meshoptRun = results.find(meshoptName(c));
        if (!glmRun || !meshoptRun) {
            table.figure("Weld " + c.label, "not measured");
            worstRatio = -1.0;
            continue;
        }
        const double ratio = glmRun->seconds / meshoptRun->seconds;
        if (worstRatio >= 0 && ratio > worstRatio)
            worstRatio = ratio;
        table.figure(
            printed("Weld %s vertices: glmWeldModel (epsilon %g)", c.label.c_str(),
                    glmRun->counters.count("epsilon") ? glmRun->counters.at("epsilon") : 0.0),
            printed("%s, %.0f kept; %.2fx meshoptimizer (CPU %.2fx)", wallAndCpu(*glmRun).c_str(),
                    results.counter(glmName(c), "kept"), ratio,
                    glmRun->cpuSeconds / meshoptRun->cpuSeconds));
        table.figure(
            printed("Weld %s vertices: meshopt_generateVertexRemap (exact)", c.label.c_str()),
            printed("%s, %.0f kept", wallAndCpu(*meshoptRun).c_str(),
                    results.counter(meshoptName(c), "kept")));
    }
    const WeldCase &small = cases[cases.size() - 2];
    const WeldCase &large = cases.back();
    const double t1 = results.seconds(glmName(small));
    const double t4 = results.seconds(glmName(large));
    const double m1 = results.seconds(meshoptName(small));
    const double m4 = results.seconds(meshoptName(large));
    const double scale = growthFactor * double(small.vertices) / double(large.vertices);
    const double growth = t1 > 0 ? t4 / t1 * scale : 0.0;
    if (t1 > 0 && t4 > 0)
        table.figure("Growth " + large.label + " / " + small.label + " (per 4x vertices)",
                     printed("glmWeldModel %.2f, meshoptimizer %.2f", growth,
                             m1 > 0 ? m4 / m1 * scale : 0.0));
    if (options.smoke)
        return;
    const std::string ratioWhat =
        std::string("Weld: glmWeldModel / meshoptimizer time (worst size), ") + condition.title;
    const std::string ratioRequired = printed("<= %.1fx", maxRatioToMeshopt);
    if (worstRatio < 0)
        table.targetNotMeasured(ratioWhat, ratioRequired, "a size was not run");
    else
        table.target(ratioWhat, printed("%.2fx", worstRatio), ratioRequired,
                     worstRatio <= maxRatioToMeshopt);
    const std::string growthWhat =
        "Weld: time " + large.label + " / " + small.label + ", " + condition.title;
    const std::string growthRequired = printed("<= %.1f (linear)", maxGrowthFor4x);
    if (t1 <= 0 || t4 <= 0)
        table.targetNotMeasured(growthWhat, growthRequired, "a size was not run");
    else
        table.target(growthWhat, printed("%.2f", growth), growthRequired, growth <= maxGrowthFor4x);
    if (checkFailure)
        table.target("Weld: identical to the first-match scan",
                     checkFailure->empty() ? "yes" : "no", "identical", checkFailure->empty());
}
