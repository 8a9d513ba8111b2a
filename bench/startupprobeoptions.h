// SPDX-License-Identifier: MIT
// Command line of radar_startup_probe.
#pragma once

#include <string>

struct StartupProbeOptions
{
    static const int defaultRuns = 10;
    static const int defaultWarmUpRuns = 1;
    static const int defaultSimTargets = 100;
    static const int defaultTimeoutMs = 10000;

    std::string runDir;                 // --run-dir=DIR: radarclient, radarsim, mdl/ and textures/
    int runs = defaultRuns;             // --runs=N: measured starts
    int warmUpRuns = defaultWarmUpRuns; // --warmup=N: starts before, not counted
    int simTargets = defaultSimTargets; // --targets=N: targets radarsim serves
    int timeoutMs = defaultTimeoutMs;   // --timeout-ms=N: per start
    std::string tableOut;               // --table-out=FILE, as the benchmarks have it
    bool smoke = false;                 // --smoke: one start, no warm-up, no verdict
    // --memory=NAME: the condition the probe and the client run in
    // (memoryconditions.h), entered before the options are parsed
};

// False with a message on standard error for a bad or missing argument.
bool parseStartupProbeOptions(int argc, char **argv, StartupProbeOptions &options);
