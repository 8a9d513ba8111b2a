// SPDX-License-Identifier: MIT
// What a fresh page of memory costs this machine: the first write to
// memory just mapped, timed per page. Every figure that allocates moves with
// these costs (on some virtual machines a fresh 4 KiB page costs several
// microseconds), so the model program measures them with each run.
#pragma once

#include <string>

struct PageCost
{
    double smallPageSeconds = 0.0; // a fresh 4 KiB page, huge pages refused (MADV_NOHUGEPAGE)
    double hugePageSeconds = 0.0;  // a fresh 2 MiB page, asked for with MADV_HUGEPAGE
    int hugePagesGranted = 0;      // of hugePagesTouched, as /proc/self/smaps_rollup counts
    int hugePagesTouched = 0;
    bool measured = false; // false when the memory could not be mapped
};

// The median of a few trials of each, on a region of a few tens of MiB.
PageCost measurePageCost();

// "2.41 us per 4 KiB page; 266 us per 2 MiB huge page (0.52 us per 4 KiB),
// 16 of 16 granted"
std::string describe(const PageCost &cost);
