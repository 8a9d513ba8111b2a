// SPDX-License-Identifier: MIT
// Collecting what Google Benchmark measured, and turning it into the
// Markdown rows of docs/performance.md: one table per area with the
// figures, and one row per speed target with its verdict.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

struct Measurement
{
    double seconds = 0.0;                   // per iteration: real (or manual) time
    double cpuSeconds = 0.0;                // per iteration: CPU time as the benchmark measures it
    std::map<std::string, double> counters; // after Google Benchmark's rate division
    std::string label;
};

// The run of a Google Benchmark report as a Measurement.
Measurement measurementOf(const benchmark::BenchmarkReporter::Run &run);

// The median of values (the mean of the middle two when their number is
// even). values must not be empty.
double medianOf(std::vector<double> values);

// The median of several measurements of one benchmark: wall and CPU time
// each the median of theirs; counters and label from the first. measurements
// must not be empty.
Measurement medianOf(std::vector<Measurement> measurements);

// What was measured, by benchmark name (the registered name), and the
// benchmarks that failed.
class ResultStore
{
public:
    void add(const std::string &name, const Measurement &measurement);
    void addError(const std::string &error) { errorList.push_back(error); }

    const Measurement *find(const std::string &name) const;
    double seconds(const std::string &name) const;    // 0 when not measured
    double cpuSeconds(const std::string &name) const; // 0 when not measured
    double counter(const std::string &name, const std::string &counter) const;
    const std::vector<std::string> &errors() const { return errorList; }

private:
    std::map<std::string, Measurement> results;
    std::vector<std::string> errorList;
};

// Prints to the console like the default reporter and keeps, for each
// benchmark, its single run or, with repetitions, the median of them.
class ResultCollector : public benchmark::ConsoleReporter, public ResultStore
{
public:
    void ReportRuns(const std::vector<Run> &runs) override;
};

// Rows for the figure tables and the target table.
class FigureTable
{
public:
    explicit FigureTable(std::string title) : title(std::move(title)) {}

    void figure(const std::string &what, const std::string &value);
    // measured: the figure that decides; required: the bound as text.
    void target(const std::string &what, const std::string &measured, const std::string &required,
                bool met);
    void targetNotMeasured(const std::string &what, const std::string &required,
                           const std::string &why);

    // Prints both to standard output; appends the section to tablePath and
    // the target rows to targetsPath when they are not empty.
    void publish(const std::string &tablePath, const std::string &targetsPath) const;

private:
    std::string title;
    std::vector<std::string> figureRows;
    std::vector<std::string> targetRows;
};

std::string printed(const char *format, ...) __attribute__((format(printf, 1, 2)));
// "850 ns", "12.3 us", "4.56 ms", "1.23 s"
std::string duration(double seconds);
// The targets' rows are written with both files of an options set.
std::string targetsPathFor(const std::string &tablePath);
