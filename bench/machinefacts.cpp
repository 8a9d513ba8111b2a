// SPDX-License-Identifier: MIT
#include "bench/machinefacts.h"

#include "bench/pagecost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string loadAverage()
{
    FILE *file = std::fopen("/proc/loadavg", "r");
    if (!file)
        return "unknown";
    double one = 0.0, five = 0.0, fifteen = 0.0;
    const int read = std::fscanf(file, "%lf %lf %lf", &one, &five, &fifteen);
    std::fclose(file);
    return read == 3 ? printed("%.2f, %.2f, %.2f", one, five, fifteen) : "unknown";
}

double procFieldKb(const char *path, const char *name)
{
    FILE *file = std::fopen(path, "r");
    if (!file)
        return -1.0;
    const std::size_t length = std::strlen(name);
    char line[256];
    double kb = -1.0;
    while (std::fgets(line, sizeof line, file))
        if (std::strncmp(line, name, length) == 0)
            kb = std::strtod(line + length, nullptr);
    std::fclose(file);
    return kb;
}

void addMachineFacts(FigureTable &table)
{
    table.figure("Load average when done (1, 5, 15 min)", loadAverage());
    table.figure("Fresh page, first write (when done)", describe(measurePageCost()));
}
