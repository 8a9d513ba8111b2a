// radarprobe: checks a radar table server's side of the wire protocol.
#include "probe/probeoptions.h"
#include "probe/probereport.h"
#include "probe/probesession.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
constexpr int exitViolations = 1;
constexpr int exitInvalidOptions = 2;
constexpr int exitUnreachable = 3;
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("radarprobe");

    const ProbeOptionsResult parsed = parseProbeOptions(QCoreApplication::arguments());
    if (parsed.status == ProbeOptionsResult::ShowHelp) {
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    }
    if (parsed.status == ProbeOptionsResult::Invalid) {
        std::fprintf(stderr, "radarprobe: %s\n", qPrintable(parsed.text));
        return exitInvalidOptions;
    }
    const ProbeOptions &options = parsed.options;

    ProbeSession session(options);
    QObject::connect(&session, &ProbeSession::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    session.start();
    app.exec();

    if (!session.reached()) {
        std::fprintf(stderr, "radarprobe: cannot reach %s: %s\n", qPrintable(options.target),
                     qPrintable(session.errorString()));
        return exitUnreachable;
    }
    const ProbeRunInfo run{options.target, options.seconds, ProbeSession::requestIntervalMs,
                           options.maxLatencyMs, options.allowOutside};
    std::fputs(qPrintable(probeReport(run, session.checker())), stdout);
    return session.checker().passed() ? 0 : exitViolations;
}
