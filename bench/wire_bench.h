// SPDX-License-Identifier: MIT
// Wire decode: a real Logic connected over loopback to a BlockServer that
// answers each request with a block of the largest size the 16-bit size
// field allows (6553 targets). Needs a QCoreApplication.
#pragma once

#include "bench/benchoptions.h"
#include "bench/results.h"

void registerWireBenchmarks(const BenchOptions &options);
void summarizeWire(const ResultStore &results, const BenchOptions &options, FigureTable &table);
