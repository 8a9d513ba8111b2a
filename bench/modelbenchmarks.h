// SPDX-License-Identifier: MIT
// The model-library benchmarks of radar_bench_model: OBJ reading against
// tinyobjloader and assimp, facet and vertex normals, and welding against
// meshoptimizer. Each area registers its benchmarks (sizes chosen by the
// options) and afterwards turns one memory condition's results into its
// table. Every benchmark runs in fresh processes (isolatedruns.h).
#pragma once

#include "bench/benchoptions.h"
#include "bench/memoryconditions.h"
#include "bench/results.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

// The names registered through registerModelBenchmark, in order.
std::vector<std::string> &modelBenchmarkNames();

// Registers a benchmark with the settings all model benchmarks share:
// milliseconds, wall time, and the CPU time of the whole process beside it.
template <class... Args> void registerModelBenchmark(const std::string &name, Args &&...args)
{
    modelBenchmarkNames().push_back(name);
    benchmark::RegisterBenchmark(name.c_str(), std::forward<Args>(args)...)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
}

// "12.3 ms wall, 12.1 ms CPU"
std::string wallAndCpu(const Measurement &m);

// False when a test model cannot be generated.
bool registerObjBenchmarks(const BenchOptions &options, const std::string &dataDir);
void summarizeObj(const ResultStore &results, const BenchOptions &options,
                  const MemoryCondition &condition, FigureTable &table);

void registerGeometryBenchmarks(const BenchOptions &options);
void summarizeGeometry(const ResultStore &results, const BenchOptions &options,
                       const MemoryCondition &condition, FigureTable &table);

void registerWeldBenchmarks(const BenchOptions &options);
// The comparison with the first-match scan, made once by the parent before
// the weld is timed; empty when identical, else what differs.
std::string checkWeldAgainstScan();
// checkFailure: the comparison's result, for the one table that shows it
// (null for the others).
void summarizeWeld(const ResultStore &results, const BenchOptions &options,
                   const MemoryCondition &condition, const std::string *checkFailure,
                   FigureTable &table);
