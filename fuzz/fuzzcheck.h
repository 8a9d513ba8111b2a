// SPDX-License-Identifier: MIT
// The fuzz targets' oracle check: a rule that does not hold ends the run
// the way libFuzzer reports a crash, with the input kept.
#pragma once

#include <cstdlib>

inline void check(bool rule)
{
    if (!rule)
        std::abort();
}
