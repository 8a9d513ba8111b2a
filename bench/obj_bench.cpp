// SPDX-License-Identifier: MIT
// OBJ read: the same generated files read by glmReadOBJ, tinyobjloader and
// assimp in one run; throughput in MB/s (10^6 bytes of file per second of
// wall time, the file being in the page cache), CPU time, and peak memory
// of one read.
#include "bench/modelbenchmarks.h"
#include "bench/modelgen.h"
#include "bench/objreaders.h"
#include "bench/peakmemory.h"

#include <map>
#include <utility>
#include <vector>

namespace {

constexpr double targetRatioToTinyObj = 3.5;
constexpr double bytesPerMB = 1e6;

struct ObjCase
{
    std::string label; // "1M": the size in the benchmark names
    GridShape shape;
    std::string path;
    double bytes = 0.0;
    bool decidesTarget = false;
};

std::vector<ObjCase> cases;
std::map<std::pair<int, std::string>, double> peakCache; // (reader, label) -> bytes

std::string benchName(const ObjCase &c, ObjReader reader)
{
    return "obj_read/" + c.label + "/" + readerName(reader);
}

double fileBytes(const std::string &path)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0.0;
    std::fseek(file, 0, SEEK_END);
    const double bytes = double(std::ftell(file));
    std::fclose(file);
    return bytes;
}

void benchRead(benchmark::State &state, ObjReader reader, const ObjCase *c)
{
    ReadCounts counts;
    for (auto _ : state) {
        counts = readObj(reader, c->path);
        if (!counts.ok) {
            state.SkipWithError(("read failed: " + counts.error).c_str());
            return;
        }
    }
    // Every reader must have read the whole file, or its speed means nothing.
    const bool indexedPositions = reader != ObjReader::assimp;
    if (counts.triangles != c->shape.triangles() ||
        (indexedPositions && counts.positions != c->shape.points())) {
        state.SkipWithError(printed("read %zu triangles and %zu positions, expected %zu and %zu",
                                    counts.triangles, counts.positions, c->shape.triangles(),
                                    c->shape.points())
                                .c_str());
        return;
    }
    state.SetBytesProcessed(int64_t(state.iterations() * c->bytes));
    state.counters["triangles"] = double(counts.triangles);
}

// Peak memory does not depend on the condition: measured once, by the parent.
double peakOf(ObjReader reader, const ObjCase &c)
{
    const auto key = std::make_pair(int(reader), c.label);
    if (!peakCache.count(key))
        peakCache[key] = peakReadBytes(reader, c.path);
    return peakCache[key];
}

} // namespace

bool registerObjBenchmarks(const BenchOptions &options, const std::string &dataDir)
{
    const std::vector<std::pair<std::string, std::size_t>> sizes =
        options.smoke
            ? std::vector<std::pair<std::string, std::size_t>>{{"2k", 2000}, {"10k", 10000}}
            : std::vector<std::pair<std::string, std::size_t>>{{"100k", 100000}, {"1M", 1000000}};
    for (const auto &size : sizes) {
        ObjCase c;
        c.label = size.first;
        c.shape = gridFor(size.second);
        c.path = cachedGridObj(dataDir, c.shape);
        if (c.path.empty())
            return false;
        c.bytes = fileBytes(c.path);
        cases.push_back(c);
    }
    cases.back().decidesTarget = true;

    for (const ObjCase &c : cases)
        for (ObjReader reader : allObjReaders)
            registerModelBenchmark(benchName(c, reader), benchRead, reader, &c);
    return true;
}

void summarizeObj(const ResultStore &results, const BenchOptions &options,
                  const MemoryCondition &condition, FigureTable &table)
{
    const auto rateOf = [&results](const ObjCase &c, ObjReader reader) {
        const double seconds = results.seconds(benchName(c, reader));
        return seconds > 0 ? c.bytes / seconds : 0.0;
    };
    for (const ObjCase &c : cases) {
        const double tinyRate = rateOf(c, ObjReader::tinyobj);
        table.figure(printed("File %s: %zu triangles, %zu points", c.label.c_str(),
                             c.shape.triangles(), c.shape.points()),
                     printed("%.1f MB (v, vt, vn; faces v/t/n)", c.bytes / bytesPerMB));
        for (ObjReader reader : allObjReaders) {
            const std::string what = printed("%s, %s", readerName(reader), c.label.c_str());
            const Measurement *m = results.find(benchName(c, reader));
            if (!m) {
                table.figure(what, "not measured");
                continue;
            }
            const double rate = rateOf(c, reader);
            std::string value =
                printed("%.0f MB/s (%s per read)", rate / bytesPerMB, wallAndCpu(*m).c_str());
            if (reader != ObjReader::tinyobj && tinyRate > 0)
                value += printed("; %.2fx tinyobjloader", rate / tinyRate);
            const double peak = peakOf(reader, c);
            value += peak >= 0 ? printed("; peak +%.0f MB", peak / bytesPerMB)
                               : std::string("; peak not measured");
            table.figure(what, value);
        }
        if (!c.decidesTarget || options.smoke)
            continue;
        const std::string what = printed("OBJ read %s: glmReadOBJ / tinyobjloader throughput, %s",
                                         c.label.c_str(), condition.title);
        const std::string required = printed(">= %.1fx", targetRatioToTinyObj);
        const double glmRate = rateOf(c, ObjReader::glm);
        if (glmRate <= 0 || tinyRate <= 0) {
            table.targetNotMeasured(what, required, "a reader was not run");
            continue;
        }
        const double ratio = glmRate / tinyRate;
        table.target(what,
                     printed("%.2fx (%.0f vs %.0f MB/s)", ratio, glmRate / bytesPerMB,
                             tinyRate / bytesPerMB),
                     required, ratio >= targetRatioToTinyObj);
    }
}
