// SPDX-License-Identifier: MIT
// The built-in target patterns.
//
// walk     targets stroll smoothly through the unit square, each on its own
//          path of overlaid slow oscillations around a home point; positions
//          depend only on the seed, the target's number and the time, and stay
//          within [0.05, 0.95] on both axes.
// grid     targets stand still on a k x k grid (k = ceil(sqrt(count))),
//          target i at ((i % k + 0.5) / k, (i / k + 0.5) / k).
// corners  targets stand still at (0, 0), (1, 0), (0, 1), (1, 1) and
//          (0.5, 0.5), target i at the (i % 5)-th of these; five targets
//          mark the corners and the centre of the client's disc.
//
// Every target's value is its 1-based number (wrapping after 65535).
#pragma once

#include "sim/targetsource.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

enum class Pattern { Walk, Grid, Corners };

QStringList patternNames();                                  // "walk", "grid", "corners"
std::optional<Pattern> patternFromName(const QString &name); // exact, lower case

// A source of `count` targets (count >= 0) following `pattern`; only walk
// uses the seed.
std::unique_ptr<TargetSource> makePatternSource(Pattern pattern, int count, quint64 seed);
