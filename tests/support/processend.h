// SPDX-License-Identifier: MIT
// Ends a child process that a test or a run started and still owns.
#pragma once

#include <QProcess>

// Generous: a program under the sanitizers takes a while to finish.
constexpr int processEndTimeoutMs = 20000;

// Asks the process to end (SIGTERM), so that it can remove its files, and
// kills it when it lingers; returns once it has been reaped. Does nothing
// when it is not running.
void endProcess(QProcess &process);
