#include "bench/machinefacts.h"

#include "bench/pagecost.h"

#include <cstdio>

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

void addMachineFacts(FigureTable &table)
{
    table.figure("Load average when done (1, 5, 15 min)", loadAverage());
    table.figure("Fresh page, first write (when done)", describe(measurePageCost()));
}
