// SPDX-License-Identifier: MIT
// radar_bench_wire: receiving and decoding target blocks over loopback.
#include "bench/benchoptions.h"
#include "bench/machinefacts.h"
#include "bench/memoryconditions.h"
#include "bench/results.h"
#include "bench/wire_bench.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>

int main(int argc, char **argv)
{
    int exitStatus = 0;
    if (!enterMemoryCondition(argc, argv, exitStatus))
        return exitStatus;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    BenchOptions options;
    if (!parseBenchOptions(argc, argv, options))
        return 2;
    registerWireBenchmarks(options);

    ResultCollector results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();

    FigureTable wire("Wire decode, " + currentMemoryTitle());
    summarizeWire(results, options, wire);
    addMachineFacts(wire);
    wire.publish(options.tableOut, targetsPathFor(options.tableOut));

    for (const std::string &error : results.errors())
        std::fprintf(stderr, "benchmark failed: %s\n", error.c_str());
    return results.errors().empty() ? 0 : 1;
}
