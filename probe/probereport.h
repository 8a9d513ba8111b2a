// SPDX-License-Identifier: MIT
// radarprobe's report: what the checker saw and every violation it listed,
// a few lines of plain text for a terminal or a log.
#pragma once

#include <QString>
#include <QVector>

class ProbeChecker;

struct ProbeRunInfo
{
    QString target;       // "host:port" as given
    double seconds = 0.0; // length of the run asked for
    int requestIntervalMs = 0;
    int maxLatencyMs = 0;
    bool allowOutside = false;
};

// The value at percentile `p` (0 < p <= 100) of `values` by the nearest-rank
// method: the smallest value with at least p % of them at or below it. 0 for
// no values.
qint64 percentile(QVector<qint64> values, double p);

// The report, ending in a line "result: pass" or "result: FAIL".
QString probeReport(const ProbeRunInfo &run, const ProbeChecker &checker);
