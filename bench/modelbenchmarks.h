// The model-library benchmarks of radar_bench_model: OBJ reading against
// tinyobjloader and assimp, facet and vertex normals, and welding against
// meshoptimizer. Each area registers its benchmarks (sizes chosen by the
// options) and afterwards turns the collected results into its table.
#pragma once

#include "bench/benchoptions.h"
#include "bench/results.h"

#include <string>

// False when a test model cannot be generated.
bool registerObjBenchmarks(const BenchOptions &options, const std::string &dataDir);
void summarizeObj(const ResultCollector &results, const BenchOptions &options, FigureTable &table);

void registerGeometryBenchmarks(const BenchOptions &options);
void summarizeGeometry(const ResultCollector &results, const BenchOptions &options,
                       FigureTable &table);

void registerWeldBenchmarks(const BenchOptions &options);
void summarizeWeld(const ResultCollector &results, const BenchOptions &options, FigureTable &table);
