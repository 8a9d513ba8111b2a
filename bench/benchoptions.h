// Command line of the benchmark programs, after Google Benchmark has taken
// its own --benchmark_* flags:
//   --smoke            tiny sizes, so a run takes seconds and only proves the
//                      benchmarks still build, run and agree with the peers
//   --data-dir=DIR     where generated test models are cached (created)
//   --table-out=FILE   appends the figure and target rows (Markdown) there
#pragma once

#include <string>

struct BenchOptions
{
    bool smoke = false;
    std::string dataDir;  // empty: a directory beside the executable
    std::string tableOut; // empty: the rows go to standard output only
};

// True when `arg` is `name` ("--data-dir"), '=' and a value, which goes
// into `value`.
bool takeOptionValue(const char *arg, const char *name, std::string &value);

// Parses what is left of argv. False (with a message on standard error)
// for an argument it does not know.
bool parseBenchOptions(int argc, char **argv, BenchOptions &options);

// The data directory to use: the option, or "bench-data" beside the running
// executable. Created when missing; empty when that fails.
std::string resolveDataDir(const BenchOptions &options);
