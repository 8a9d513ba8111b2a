// SPDX-License-Identifier: MIT
// One fresh process per measurement. The model benchmarks compare libraries
// whose speed depends on the state of the heap and on page faults, so each
// measurement runs in a process of its own, started in the memory condition
// it is for (memoryconditions.h), and the competitors take turns: round
// after round, each benchmark under each condition, the median of the
// rounds reported.
//
// The program as started (the parent) and its children register the same
// benchmarks. A child is the program started again with the parent's
// arguments, measuringChildFlag and a Google Benchmark filter selecting one
// benchmark; it reports on standard output in lines only the two read.
#pragma once

#include "bench/memoryconditions.h"
#include "bench/results.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// The reporter a measuring child runs its benchmark with.
class ChildReporter : public benchmark::BenchmarkReporter
{
public:
    bool ReportContext(const Context &context) override;
    void ReportRuns(const std::vector<Run> &runs) override;
    bool failed() const { return failed_; }

private:
    bool failed_ = false;
};

// Runs the benchmarks named (those Google Benchmark's filter selects) in
// rounds, each in a fresh child under each of the conditions, printing each
// measurement as it comes. arguments: the program's own as it was started,
// before Google Benchmark took its flags. Returns one store per condition,
// in their order, holding the medians; a child that fails or reports an
// error adds an error to its store.
std::vector<ResultStore> runIsolated(const std::vector<std::string> &names, int rounds,
                                     const std::vector<const MemoryCondition *> &conditions,
                                     const std::vector<std::string> &arguments);
