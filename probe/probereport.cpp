// SPDX-License-Identifier: MIT
#include "probe/probereport.h"

#include "probe/probechecker.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double usPerMs = 1000.0;

QString ms(qint64 us)
{
    return QString::number(double(us) / usPerMs, 'f', 1) + " ms";
}

} // namespace

qint64 percentile(QVector<qint64> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int rank = std::clamp(int(std::ceil(p / 100.0 * values.size())), 1, int(values.size()));
    return values[rank - 1];
}

QString probeReport(const ProbeRunInfo &run, const ProbeChecker &checker)
{
    const ProbeStats &s = checker.stats();
    QString out;
    out += QString("radarprobe: %1 for %2 s, a request every %3 ms, latency limit %4 ms%5\n")
               .arg(run.target)
               .arg(run.seconds)
               .arg(run.requestIntervalMs)
               .arg(run.maxLatencyMs)
               .arg(run.allowOutside ? ", coordinates outside [0, 1] allowed" : "");
    out +=
        QString("requests: %1, blocks: %2, bytes: %3\n").arg(s.requests).arg(s.blocks).arg(s.bytes);
    if (s.blocks > 0) {
        out += QString("targets per block: min %1, avg %2, max %3\n")
                   .arg(s.minTargets)
                   .arg(double(s.totalTargets) / s.blocks, 0, 'f', 1)
                   .arg(s.maxTargets);
        out += QString("pieces per block: min %1, avg %2, max %3\n")
                   .arg(s.minPieces)
                   .arg(double(s.totalPieces) / s.blocks, 0, 'f', 1)
                   .arg(s.maxPieces);
    } else {
        out += "targets per block: no blocks\n";
    }
    if (!s.latenciesUs.isEmpty()) {
        out += QString("latency: p50 %1, p99 %2, max %3\n")
                   .arg(ms(percentile(s.latenciesUs, 50)))
                   .arg(ms(percentile(s.latenciesUs, 99)))
                   .arg(ms(*std::max_element(s.latenciesUs.begin(), s.latenciesUs.end())));
    } else {
        out += "latency: no replies\n";
    }
    if (s.smallPieceBlocks > 0)
        out +=
            QString("note: %1 of %2 blocks arrived in small pieces (down to %3 bytes), the first "
                    "at byte %4 (block %5): the server writes its blocks in parts. Legal on "
                    "TCP, but slow.\n")
                .arg(s.smallPieceBlocks)
                .arg(s.blocks)
                .arg(s.smallestPiece)
                .arg(s.firstSmallPieceOffset)
                .arg(s.firstSmallPieceBlock);

    if (checker.passed()) {
        out += "violations: none\nresult: pass\n";
        return out;
    }
    out += QString("violations: %1\n").arg(checker.violationCount());
    for (const ProbeViolation &v : checker.violations())
        out += QString("  at byte %1: %2\n").arg(v.offset).arg(v.message);
    if (checker.violationCount() > checker.violations().size())
        out += QString("  (and %1 more, not listed)\n")
                   .arg(checker.violationCount() - checker.violations().size());
    out += "result: FAIL\n";
    return out;
}
