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
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("radarprobe");

    const ProbeOptionsResult parsed = parseProbeOptions(QCoreApplication::arguments());
    if (parsed.status != ProbeOptionsResult::Run)
        return parsed.answer();
    const ProbeOptions &options = parsed.options;

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
