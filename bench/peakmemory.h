// SPDX-License-Identifier: MIT
// Peak memory of one OBJ read, measured in a fresh process so that nothing
// the benchmark process allocated before counts.
//
// The benchmark program runs itself as
//   <self> --peak-memory-child=READER --peak-memory-file=PATH
// The child reads the file once with that reader and prints its peak
// resident set size (VmHWM of /proc/self/status, in kB), which a fresh
// exec starts afresh. The same child run with READER "none" reads nothing;
// its peak is the baseline (program, libraries, heap set-up) subtracted.
// Both run under the default memory condition.
#pragma once

#include "bench/objreaders.h"

#include <string>

// Peak resident growth of one read in bytes, or a negative value when a
// child fails.
double peakReadBytes(ObjReader reader, const std::string &path);

// True when argv asks for the child role.
bool isPeakMemoryChild(int argc, char **argv);
// The child role: reads once, prints the peak; returns the exit status.
int runPeakMemoryChild(int argc, char **argv);
