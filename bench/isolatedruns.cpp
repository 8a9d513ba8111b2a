// SPDX-License-Identifier: MIT
#include "bench/isolatedruns.h"

#include "bench/benchoptions.h"
#include "bench/childprocess.h"
#include "bench/memoryconditions.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

namespace {

// The child's report lines: tab-separated fields after a tag.
const char *const measuredTag = "radar-bench-measured";
const char *const failedTag = "radar-bench-failed";

// Google Benchmark's filter, as the parent's selection of names.
bool selected(const std::string &name)
{
    const std::string filter = benchmark::GetBenchmarkFilter();
    if (filter.empty() || filter == "." || filter == "all")
        return true;
    return std::regex_search(name, std::regex(filter));
}

// The filter that selects exactly name (which holds no regex specials but
// '.', harmless here), with or without the "/real_time" suffix.
std::string filterFor(const std::string &name)
{
    return "--benchmark_filter=^" + name + "(/|$)";
}

std::vector<std::string> fields(const std::string &line)
{
    std::vector<std::string> parts;
    std::istringstream stream(line);
    std::string part;
    while (std::getline(stream, part, '\t'))
        parts.push_back(part);
    return parts;
}

// Reads a child's report into measurement (its last, which is the median
// when it ran repetitions); false with error set when it reports a failure
// or no measurement.
bool parseReport(const std::string &output, Measurement &measurement, std::string &error)
{
    std::istringstream lines(output);
    std::string line;
    bool found = false;
    while (std::getline(lines, line)) {
        const std::vector<std::string> parts = fields(line);
        if (parts.size() >= 3 && parts[0] == failedTag) {
            error = parts[2];
            return false;
        }
        if (parts.size() < 4 || parts[0] != measuredTag)
            continue;
        measurement = Measurement();
        measurement.seconds = std::strtod(parts[2].c_str(), nullptr);
        measurement.cpuSeconds = std::strtod(parts[3].c_str(), nullptr);
        measurement.label = parts.size() > 4 ? parts[4] : std::string();
        for (std::size_t i = 5; i + 1 < parts.size(); i += 2)
            measurement.counters[parts[i]] = std::strtod(parts[i + 1].c_str(), nullptr);
        found = true;
    }
    if (!found)
        error = "the measuring process reported nothing";
    return found;
}

} // namespace

bool ChildReporter::ReportContext(const Context &)
{
    return true;
}

void ChildReporter::ReportRuns(const std::vector<Run> &runs)
{
    for (const Run &run : runs) {
        const std::string name = run.run_name.function_name;
        if (run.error_occurred) {
            failed_ = true;
            std::printf("%s\t%s\t%s\n", failedTag, name.c_str(), run.error_message.c_str());
            continue;
        }
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
            continue;
        const Measurement m = measurementOf(run);
        std::printf("%s\t%s\t%.9g\t%.9g\t%s", measuredTag, name.c_str(), m.seconds, m.cpuSeconds,
                    m.label.c_str());
        for (const auto &counter : m.counters)
            std::printf("\t%s\t%.17g", counter.first.c_str(), counter.second);
        std::printf("\n");
    }
    std::fflush(stdout);
}

std::vector<ResultStore> runIsolated(const std::vector<std::string> &names, int rounds,
                                     const std::vector<const MemoryCondition *> &conditions,
                                     const std::vector<std::string> &arguments)
{
    const std::size_t count = conditions.size();
    std::vector<ResultStore> stores(count);
    std::vector<std::map<std::string, std::vector<Measurement>>> measured(count);
    std::vector<std::map<std::string, bool>> failed(count);
    const std::string self = selfExecutable();

    for (int round = 1; round <= rounds; ++round)
        for (const std::string &name : names) {
            if (!selected(name))
                continue;
            for (std::size_t c = 0; c < count; ++c) {
                const MemoryCondition &condition = *conditions[c];
                if (failed[c][name])
                    continue;
                std::vector<std::string> argv{self};
                argv.insert(argv.end(), arguments.begin(), arguments.end());
                argv.push_back(filterFor(name));
                argv.push_back(std::string("--memory=") + condition.name);
                argv.push_back(measuringChildFlag);
                std::string output;
                std::string error;
                Measurement m;
                const bool ran = runChild(argv, environmentFor(condition), &output);
                if (!parseReport(output, m, error) || !ran) {
                    if (error.empty())
                        error = "the measuring process failed";
                    stores[c].addError(name + " (" + condition.name + "): " + error);
                    failed[c][name] = true;
                    std::printf("round %d/%d, %s, %s: FAILED: %s\n", round, rounds, condition.name,
                                name.c_str(), error.c_str());
                    continue;
                }
                measured[c][name].push_back(m);
                std::printf("round %d/%d, %-9s %-44s %s wall, %s CPU\n", round, rounds,
                            condition.name, name.c_str(), duration(m.seconds).c_str(),
                            duration(m.cpuSeconds).c_str());
                std::fflush(stdout);
            }
        }
    for (std::size_t c = 0; c < count; ++c)
        for (const auto &entry : measured[c])
            if (!failed[c][entry.first])
                stores[c].add(entry.first, medianOf(entry.second));
    return stores;
}
