// SPDX-License-Identifier: MIT
#include "bench/startupprobeoptions.h"

#include "bench/benchoptions.h"
#include "bench/memoryconditions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool takeCount(const char *arg, const char *name, int minimum, int &value, bool &bad)
{
    std::string text;
    if (!takeOptionValue(arg, name, text))
        return false;
    char *end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    bad = text.empty() || *end != '\0' || n < minimum || n > 1000000;
    value = int(n);
    return true;
}

} // namespace

bool parseStartupProbeOptions(int argc, char **argv, StartupProbeOptions &options)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        bool bad = false;
        if (std::strcmp(arg, "--smoke") == 0) {
            options.smoke = true;
            options.runs = 1;
            options.warmUpRuns = 0;
        } else if (!isMemoryOption(arg) && !takeOptionValue(arg, "--run-dir", options.runDir) &&
                   !takeOptionValue(arg, "--table-out", options.tableOut) &&
                   !takeCount(arg, "--runs", 1, options.runs, bad) &&
                   !takeCount(arg, "--warmup", 0, options.warmUpRuns, bad) &&
                   !takeCount(arg, "--targets", 0, options.simTargets, bad) &&
                   !takeCount(arg, "--timeout-ms", 1, options.timeoutMs, bad)) {
            std::fprintf(stderr, "%s: unknown argument %s\n", argv[0], arg);
            return false;
        }
        if (bad) {
            std::fprintf(stderr, "%s: bad value in %s\n", argv[0], arg);
            return false;
        }
    }
    if (options.runDir.empty()) {
        std::fprintf(stderr, "%s: --run-dir=DIR is required\n", argv[0]);
        return false;
    }
    return true;
}
