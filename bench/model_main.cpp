// radar_bench_model: OBJ reading, normals and welding against the peers.
#include "bench/benchoptions.h"
#include "bench/modelbenchmarks.h"
#include "bench/peakmemory.h"
#include "bench/results.h"

#include <benchmark/benchmark.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (isPeakMemoryChild(argc, argv))
        return runPeakMemoryChild(argc, argv);

    benchmark::Initialize(&argc, argv);
    BenchOptions options;
    if (!parseBenchOptions(argc, argv, options))
        return 2;
    const std::string dataDir = resolveDataDir(options);
    if (dataDir.empty() || !registerObjBenchmarks(options, dataDir))
        return 1;
    registerGeometryBenchmarks(options);
    registerWeldBenchmarks(options);

    ResultCollector results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();

    FigureTable obj("OBJ read");
    summarizeObj(results, options, obj);
    FigureTable geometry("Geometry: facet and vertex normals");
    summarizeGeometry(results, options, geometry);
    FigureTable weld("Welding");
    summarizeWeld(results, options, weld);
    const std::string targets = targetsPathFor(options.tableOut);
    obj.publish(options.tableOut, targets);
    geometry.publish(options.tableOut, targets);
    weld.publish(options.tableOut, targets);

    for (const std::string &error : results.errors())
        std::fprintf(stderr, "benchmark failed: %s\n", error.c_str());
    return results.errors().empty() ? 0 : 1;
}
