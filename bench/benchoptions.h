// SPDX-License-Identifier: MIT
// Command line of the benchmark programs, after Google Benchmark has taken
// its own --benchmark_* flags:
//   --smoke            tiny sizes, so a run takes seconds and only proves the
//                      benchmarks still build, run and agree with the peers
//   --data-dir=DIR     where generated test models are cached (created)
//   --table-out=FILE   appends the figure and target rows (Markdown) there
//   --memory=NAME      the memory condition to run in (memoryconditions.h), or
//                      "each"; the model program runs each by default
//   --rounds=N         the model program: fresh processes per benchmark and
//                      condition, whose median is reported (default 1)
#pragma once

#include <string>

struct BenchOptions
{
    bool smoke = false;
    std::string dataDir;  // empty: a directory beside the executable
    std::string tableOut; // empty: the rows go to standard output only
    std::string memory;   // the --memory value; empty when not given
    int rounds = 1;
    bool measuringChild = false; // measuringChildFlag: one measurement for a parent
};

// Among the arguments of a process the model program started for one
// measurement (isolatedruns.h).
constexpr const char *measuringChildFlag = "--measuring-child";

// True when `arg` is `name` ("--data-dir"), '=' and a value, which goes
// into `value`.
bool takeOptionValue(const char *arg, const char *name, std::string &value);

// Parses what is left of argv. False (with a message on standard error)
// for an argument it does not know.
bool parseBenchOptions(int argc, char **argv, BenchOptions &options);

// The data directory to use: the option, or "bench-data" beside the running
// executable. Created when missing; empty when that fails.
std::string resolveDataDir(const BenchOptions &options);
