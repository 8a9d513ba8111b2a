// SPDX-License-Identifier: MIT
// radarprobe: checks a radar table server's side of the wire protocol.
#include "cli/commandline.h"
#include "probe/probeoptions.h"
#include "probe/probereport.h"
#include "probe/probesession.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr int exitViolations = 1;
constexpr int exitUnreachable = 3;

// Probes the server once, reports and exits.
int runProbe(QCoreApplication &app, const ProbeOptions &options)
{
    ProbeSession session(options);
    QObject::connect(&session, &ProbeSession::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    session.start();
    app.exec();

    if (!session.reached())
        return fail(exitUnreachable,
                    QString("cannot reach %1: %2").arg(options.target, session.errorString()));
    const ProbeRunInfo run{options.target, options.seconds, ProbeSession::requestIntervalMs,
                           options.maxLatencyMs, options.allowOutside};
    std::fputs(qPrintable(probeReport(run, session.checker())), stdout);
    return session.checker().passed() ? 0 : exitViolations;
}

} // namespace

int main(int argc, char *argv[])
{
    return runTool(argc, argv, "radarprobe", parseProbeOptions, runProbe);
}
