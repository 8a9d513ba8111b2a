// SPDX-License-Identifier: MIT
// radarsim's command line.
#pragma once

#include "cli/commandline.h"
#include "sim/bridgeoptions.h"
#include "sim/faults.h"
#include "sim/patterns.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

struct SimOptions
{
    static constexpr quint16 defaultPort = 3333;
    static constexpr int defaultTargets = 5;
    static constexpr quint64 defaultSeed = 1;

    // Where the blocks come from.
    enum class Mode { Pattern, Scenario, Replay, Record, Tuio, Sbs };

    QHostAddress address = QHostAddress::Any; // where to listen
    quint16 port = defaultPort;               // 0: any free port
    Mode mode = Mode::Pattern;
    int targets = defaultTargets; // Pattern: 0 to BlockEncoder::maxRecordsPerBlock
    quint64 seed = defaultSeed;   // Pattern
    Pattern pattern = Pattern::Walk;
    QString file;         // Scenario: the scenario; Replay: the recording read; Record: written;
                          // Tuio, Sbs: written with what is served when not empty
    bool loop = false;    // Replay
    QString upstreamHost; // Record
    quint16 upstreamPort = 0;
    FaultPlan faults;     // never with Record; no overcount with Replay
    BridgeOptions bridge; // Tuio, Sbs
};

using SimOptionsResult = CommandLine<SimOptions>;

// Parses the full argument list (program name first). Never exits, never
// prints and reads no files; the caller reports and chooses the exit code.
SimOptionsResult parseSimOptions(const QStringList &arguments);
