// SPDX-License-Identifier: MIT
// The machine facts that move the figures, printed in every program's
// table beside them: how busy the machine was and what a fresh page cost
// (the CPU, the cores and the huge-page setting are the same for a whole
// run; scripts/bench prints them once).
#pragma once

#include "bench/results.h"

#include <string>

// "2.31, 1.97, 1.50": /proc/loadavg's 1, 5 and 15 minute averages, or
// "unknown".
std::string loadAverage();

// The kB of /proc files.
inline constexpr double bytesPerKb = 1024.0;

// The number of a "Name:  123 kB" line of a /proc file (name given with its
// colon) in kB, the last such line's; -1 when the file or line is missing.
double procFieldKb(const char *path, const char *name);

// Adds the load average now and the cost of a fresh page (measured now) to
// table.
void addMachineFacts(FigureTable &table);
