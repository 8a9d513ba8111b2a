// SPDX-License-Identifier: MIT
// Frame: the real GLWidget, 1280 x 720, drawing the staged scene (textures
// and models of the run directory) with 0, 100, 1000 and the most targets
// one block carries, put straight into the RadarState it draws. Needs a
// QApplication on an X display and the run directory as the working
// directory.
#pragma once

#include "bench/benchoptions.h"
#include "bench/results.h"

// Creates and shows the view; false with a message when it cannot be set up.
bool setUpFrameBenchmarks(const BenchOptions &options);
void registerFrameBenchmarks(const BenchOptions &options);
void summarizeFrame(const ResultStore &results, const BenchOptions &options, FigureTable &table);
void tearDownFrameBenchmarks();
