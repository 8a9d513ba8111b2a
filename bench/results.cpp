// SPDX-License-Identifier: MIT
#include "bench/results.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr double nanosecond = 1e-9;
constexpr double microsecond = 1e-6;
constexpr double millisecond = 1e-3;

void appendLines(const std::string &path, const std::vector<std::string> &lines)
{
    if (path.empty() || lines.empty())
        return;
    FILE *file = std::fopen(path.c_str(), "a");
    if (!file) {
        std::perror(path.c_str());
        return;
    }
    for (const std::string &line : lines)
        std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
}

} // namespace

Measurement measurementOf(const benchmark::BenchmarkReporter::Run &run)
{
    Measurement m;
    const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
    m.seconds = run.GetAdjustedRealTime() / unit;
    m.cpuSeconds = run.GetAdjustedCPUTime() / unit;
    for (const auto &counter : run.counters)
        m.counters[counter.first] = counter.second.value;
    m.label = run.report_label;
    return m;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

Measurement medianOf(std::vector<Measurement> measurements)
{
    Measurement median = measurements.front();
    const auto middle = [&measurements](double Measurement::*field) {
        std::vector<double> values;
        for (const Measurement &m : measurements)
            values.push_back(m.*field);
        return medianOf(values);
    };
    median.seconds = middle(&Measurement::seconds);
    median.cpuSeconds = middle(&Measurement::cpuSeconds);
    return median;
}

void ResultStore::add(const std::string &name, const Measurement &measurement)
{
    results[name] = measurement;
}

void ResultCollector::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        const std::string name = run.run_name.function_name;
        if (run.error_occurred) {
            addError(name + ": " + run.error_message);
            continue;
        }
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median)
            continue;
        // Repetitions report each run, then their aggregates: the median,
        // when there is one, is what stays.
        add(name, measurementOf(run));
    }
}

const Measurement *ResultStore::find(const std::string &name) const
{
    const auto it = results.find(name);
    return it == results.end() ? nullptr : &it->second;
}

double ResultStore::seconds(const std::string &name) const
{
    const Measurement *m = find(name);
    return m ? m->seconds : 0.0;
}

double ResultStore::cpuSeconds(const std::string &name) const
{
    const Measurement *m = find(name);
    return m ? m->cpuSeconds : 0.0;
}

double ResultStore::counter(const std::string &name, const std::string &counter) const
{
    const Measurement *m = find(name);
    if (!m)
        return 0.0;
    const auto it = m->counters.find(counter);
    return it == m->counters.end() ? 0.0 : it->second;
}

void FigureTable::figure(const std::string &what, const std::string &value)
{
    figureRows.push_back("| " + what + " | " + value + " |");
}

void FigureTable::target(const std::string &what, const std::string &measured,
                         const std::string &required, bool met)
{
    targetRows.push_back("| " + what + " | " + measured + " | " + required + " | " +
                         (met ? "met" : "**not met**") + " |");
}

void FigureTable::targetNotMeasured(const std::string &what, const std::string &required,
                                    const std::string &why)
{
    targetRows.push_back("| " + what + " | " + why + " | " + required + " | **not measured** |");
}

void FigureTable::publish(const std::string &tablePath, const std::string &targetsPath) const
{
    std::vector<std::string> section;
    section.push_back("### " + title);
    section.push_back("");
    section.push_back("| Figure | Value |");
    section.push_back("| --- | --- |");
    section.insert(section.end(), figureRows.begin(), figureRows.end());
    section.push_back("");

    std::printf("\n");
    for (const std::string &line : section)
        std::printf("%s\n", line.c_str());
    for (const std::string &line : targetRows)
        std::printf("target %s\n", line.c_str());
    std::fflush(stdout);

    appendLines(tablePath, section);
    appendLines(targetsPath, targetRows);
}

std::string printed(const char *format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string duration(double seconds)
{
    if (seconds < microsecond)
        return printed("%.0f ns", seconds / nanosecond);
    if (seconds < millisecond)
        return printed("%.1f us", seconds / microsecond);
    if (seconds < 1.0)
        return printed("%.2f ms", seconds / millisecond);
    return printed("%.2f s", seconds);
}

std::string targetsPathFor(const std::string &tablePath)
{
    return tablePath.empty() ? std::string() : tablePath + ".targets";
}
