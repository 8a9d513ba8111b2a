// SPDX-License-Identifier: MIT
// radarprobe's command line.
#pragma once

#include "cli/commandline.h"

#include <QString>
#include <QStringList>

struct ProbeOptions
{
    static constexpr double defaultSeconds = 5.0;
    static constexpr double maxSeconds = 24 * 60 * 60;
    static constexpr int defaultMaxLatencyMs = 200;
    static constexpr int maxMaxLatencyMs = 60 * 60 * 1000;

    QString target; // as given, for the report
    QString host;
    quint16 port = 0;
    double seconds = defaultSeconds; // how long to send requests, > 0
    int maxLatencyMs = defaultMaxLatencyMs;
    bool allowOutside = false;
};

using ProbeOptionsResult = CommandLine<ProbeOptions>;

// Parses the full argument list (program name first). Never exits and never
// prints.
ProbeOptionsResult parseProbeOptions(const QStringList &arguments);
