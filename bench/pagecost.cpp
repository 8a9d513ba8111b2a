// SPDX-License-Identifier: MIT
#include "bench/pagecost.h"

#include "bench/machinefacts.h"
#include "bench/results.h"

#include <sys/mman.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t smallPage = std::size_t{4} << 10;
constexpr std::size_t hugePage = std::size_t{2} << 20;
constexpr std::size_t regionBytes = std::size_t{32} << 20;
constexpr int trials = 3;

double nowSeconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// AnonHugePages of the process in bytes, or negative.
double anonHugeBytes()
{
    return procFieldKb("/proc/self/smaps_rollup", "AnonHugePages:") * bytesPerKb;
}

// Maps a region aligned to a huge page, advised as asked, and times the
// first write to each 4 KiB page of it; seconds per page of pageBytes.
// granted: huge pages the region got. Negative when mapping fails.
double timeFirstTouch(int advice, std::size_t pageBytes, int &granted)
{
    void *mapped = mmap(nullptr, regionBytes + hugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return -1.0;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(mapped);
    char *region = reinterpret_cast<char *>((start + hugePage - 1) & ~(hugePage - 1));
    madvise(region, regionBytes, advice);
    const double hugeBefore = anonHugeBytes();
    const double begin = nowSeconds();
    for (std::size_t offset = 0; offset < regionBytes; offset += smallPage)
        static_cast<volatile char *>(region)[offset] = 1;
    const double seconds = nowSeconds() - begin;
    granted = int((anonHugeBytes() - hugeBefore) / double(hugePage));
    munmap(mapped, regionBytes + hugePage);
    return seconds / double(regionBytes / pageBytes);
}

} // namespace

PageCost measurePageCost()
{
    PageCost cost;
    std::vector<double> small, huge;
    for (int t = 0; t < trials; ++t) {
        int granted = 0;
        small.push_back(timeFirstTouch(MADV_NOHUGEPAGE, smallPage, granted));
        huge.push_back(timeFirstTouch(MADV_HUGEPAGE, hugePage, granted));
        cost.hugePagesGranted += granted;
        cost.hugePagesTouched += int(regionBytes / hugePage);
    }
    if (*std::min_element(small.begin(), small.end()) < 0 ||
        *std::min_element(huge.begin(), huge.end()) < 0)
        return cost;
    cost.smallPageSeconds = medianOf(small);
    cost.hugePageSeconds = medianOf(huge);
    cost.measured = true;
    return cost;
}

std::string describe(const PageCost &cost)
{
    if (!cost.measured)
        return "not measured (no memory could be mapped)";
    constexpr double microsecond = 1e-6;
    const double smallPagesPerHuge = double(hugePage / smallPage);
    return printed("%.2f us per 4 KiB page; %.0f us per 2 MiB huge page (%.2f us per 4 KiB), "
                   "%d of %d huge pages granted",
                   cost.smallPageSeconds / microsecond, cost.hugePageSeconds / microsecond,
                   cost.hugePageSeconds / smallPagesPerHuge / microsecond, cost.hugePagesGranted,
                   cost.hugePagesTouched);
}
