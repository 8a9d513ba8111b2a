// SPDX-License-Identifier: MIT
// radar_bench_model: OBJ reading, normals and welding against the peers,
// each measurement in a fresh process under each memory condition.
#include "bench/benchoptions.h"
#include "bench/isolatedruns.h"
#include "bench/machinefacts.h"
#include "bench/memoryconditions.h"
#include "bench/modelbenchmarks.h"
#include "bench/pagecost.h"
#include "bench/peakmemory.h"
#include "bench/results.h"

#include <benchmark/benchmark.h>

#include <cstdio>

std::vector<std::string> &modelBenchmarkNames()
{
    static std::vector<std::string> names;
    return names;
}

std::string wallAndCpu(const Measurement &m)
{
    return duration(m.seconds) + " wall, " + duration(m.cpuSeconds) + " CPU";
}

int main(int argc, char **argv)
{
    if (isPeakMemoryChild(argc, argv))
        return runPeakMemoryChild(argc, argv);

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    benchmark::Initialize(&argc, argv);
    BenchOptions options;
    if (!parseBenchOptions(argc, argv, options))
        return 2;
    const std::string dataDir = resolveDataDir(options);
    if (dataDir.empty() || !registerObjBenchmarks(options, dataDir))
        return 1;
    registerGeometryBenchmarks(options);
    registerWeldBenchmarks(options);
    const std::vector<const MemoryCondition *> conditions = memoryConditionsFor(options.memory);
    if (conditions.empty()) {
        std::fprintf(stderr, "%s: unknown memory condition %s\n", argv[0], options.memory.c_str());
        return 2;
    }

    if (options.measuringChild) {
        ChildReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        return reporter.failed() ? 1 : 0;
    }

    const PageCost costBefore = measurePageCost();
    const std::string checkFailure = checkWeldAgainstScan();
    if (!checkFailure.empty())
        std::fprintf(stderr, "glmWeldModel differs from the first-match scan: %s\n",
                     checkFailure.c_str());
    const std::vector<ResultStore> results =
        runIsolated(modelBenchmarkNames(), options.rounds, conditions, arguments);
    const PageCost costAfter = measurePageCost();
    benchmark::Shutdown();

    const std::string targets = targetsPathFor(options.tableOut);
    FigureTable memory("Memory");
    memory.figure("Fresh page, first write (before the benchmarks)", describe(costBefore));
    memory.figure("Fresh page, first write (after the benchmarks)", describe(costAfter));
    memory.figure("Load average when done (1, 5, 15 min)", loadAverage());
    memory.figure("Measurements",
                  printed("each in a fresh process; median of %d per memory condition, "
                          "the competitors taking turns",
                          options.rounds));
    memory.publish(options.tableOut, targets);
    int failures = checkFailure.empty() ? 0 : 1;
    for (std::size_t c = 0; c < results.size(); ++c) {
        const MemoryCondition &condition = *conditions[c];
        const std::string suffix = std::string(", ") + condition.title;
        FigureTable obj("OBJ read" + suffix);
        summarizeObj(results[c], options, condition, obj);
        FigureTable geometry("Geometry: facet and vertex normals" + suffix);
        summarizeGeometry(results[c], options, condition, geometry);
        FigureTable weld("Welding" + suffix);
        summarizeWeld(results[c], options, condition, c == 0 ? &checkFailure : nullptr, weld);
        obj.publish(options.tableOut, targets);
        geometry.publish(options.tableOut, targets);
        weld.publish(options.tableOut, targets);
        for (const std::string &error : results[c].errors()) {
            std::fprintf(stderr, "benchmark failed: %s\n", error.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
