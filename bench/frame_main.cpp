// SPDX-License-Identifier: MIT
// radar_bench_frame: drawing frames of the real view. Runs in the run
// directory (--run-dir=DIR, default the build's), where the view finds its
// textures and models.
#include "bench/benchoptions.h"
#include "bench/frame_bench.h"
#include "bench/machinefacts.h"
#include "bench/memoryconditions.h"
#include "bench/results.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include "tests/support/keeplibraries.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    int exitStatus = 0;
    if (!enterMemoryCondition(argc, argv, exitStatus))
        return exitStatus;
    // The run directory option is this program's own; the others are shared.
    std::string runDir = RADAR_RUN_DIR;
    std::vector<char *> rest;
    const char *const runDirFlag = "--run-dir=";
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], runDirFlag, std::strlen(runDirFlag)) == 0)
            runDir = argv[i] + std::strlen(runDirFlag);
        else
            rest.push_back(argv[i]);
    }
    int restCount = int(rest.size());
    rest.push_back(nullptr);
    if (chdir(runDir.c_str()) != 0) {
        std::perror(runDir.c_str());
        return 1;
    }

    QApplication app(restCount, rest.data());
    benchmark::Initialize(&restCount, rest.data());
    BenchOptions options;
    if (!parseBenchOptions(restCount, rest.data(), options))
        return 2;
    if (!setUpFrameBenchmarks(options))
        return 1;
    keepLoadedLibrariesMapped();
    registerFrameBenchmarks(options);

    ResultCollector results;
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::Shutdown();

    FigureTable frame("Frame (1280 x 720, Mesa llvmpipe under Xvfb), " + currentMemoryTitle());
    summarizeFrame(results, options, frame);
    addMachineFacts(frame);
    frame.publish(options.tableOut, targetsPathFor(options.tableOut));
    tearDownFrameBenchmarks();

    for (const std::string &error : results.errors())
        std::fprintf(stderr, "benchmark failed: %s\n", error.c_str());
    return results.errors().empty() ? 0 : 1;
}
