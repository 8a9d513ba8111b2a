// SPDX-License-Identifier: MIT
#include "probe/probeoptions.h"

#include "net/hostport.h"
#include "net/wireformat.h"
#include "probe/probesession.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

const char *const description =
    "Conformance probe for radar table servers. Connects to HOST:PORT like\n"
    "radarclient, sends the request byte %1 every %2 ms (the next one only\n"
    "after the reply to the last) for --duration seconds, and checks the\n"
    "server's side of the protocol:\n"
    "  - size fields exactly %3 + %4 x count in the first block and %5 + %4 x count\n"
    "    in every later one\n"
    "  - counts of 0 to %6 (the most a 16-bit size field can describe)\n"
    "  - coordinates finite and, unless --allow-outside, within [0, 1]\n"
    "  - one reply per request, no block unasked\n"
    "  - every reply within --max-latency of its request\n"
    "  - no block cut off and no hang-up before the run ends\n"
    "Blocks are read as the client reads them: by their count.\n"
    "\n"
    "It prints blocks, targets per block, latency p50 and p99 and every\n"
    "violation with its byte offset in the server's stream. Blocks that arrive\n"
    "in pieces smaller than a network segment are noted, not counted as\n"
    "violations: TCP allows them.\n"
    "\n"
    "Exit codes: 0 when the server passed, 1 on any violation, 2 for invalid\n"
    "options, 3 when the server cannot be reached.";

} // namespace

ProbeOptionsResult parseProbeOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromLatin1(description)
            .arg(QString::asprintf("0x%02x", unsigned(wire::requestByte)),
                 QString::number(ProbeSession::requestIntervalMs),
                 QString::number(wire::firstHeaderBytes), QString::number(wire::recordBytes),
                 QString::number(wire::laterHeaderBytes),
                 QString::number(wire::maxRecordsPerBlock)));
    parser.addHelpOption();
    const QCommandLineOption durationOption(
        "duration",
        QString("Seconds to send requests for (default %1).").arg(ProbeOptions::defaultSeconds),
        "seconds", QString::number(ProbeOptions::defaultSeconds));
    const QCommandLineOption latencyOption("max-latency",
                                           QString("Longest a reply may take, in ms (default %1).")
                                               .arg(ProbeOptions::defaultMaxLatencyMs),
                                           "ms",
                                           QString::number(ProbeOptions::defaultMaxLatencyMs));
    const QCommandLineOption outsideOption("allow-outside",
                                           "Accept finite coordinates outside [0, 1].");
    parser.addOptions({durationOption, latencyOption, outsideOption});
    parser.addPositionalArgument("host:port", "The server to probe ([v6 address]:port for IPv6).");

    ProbeOptionsResult result;
    if (!result.parse(parser, arguments))
        return result;
    ProbeOptions &options = result.options;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return result.refuse(positional.isEmpty()
                                 ? "which server? Give HOST:PORT"
                                 : "one server at a time, not \"" + positional.join(' ') + "\"");
    options.target = positional.first();
    if (!parseHostPort(options.target, &options.host, &options.port))
        return result.refuse("the server must be HOST:PORT with a port from 1 to 65535, not \"" +
                             options.target + "\"");

    bool ok = false;
    options.seconds = parser.value(durationOption).toDouble(&ok);
    if (!ok || !std::isfinite(options.seconds) || options.seconds <= 0.0 ||
        options.seconds > ProbeOptions::maxSeconds)
        return result.refuse(
            QString("--duration must be a number of seconds above 0 and up to %1, not "
                    "\"%2\"")
                .arg(ProbeOptions::maxSeconds)
                .arg(parser.value(durationOption)));

    options.maxLatencyMs = parser.value(latencyOption).toInt(&ok, 10);
    if (!ok || options.maxLatencyMs < 1 || options.maxLatencyMs > ProbeOptions::maxMaxLatencyMs)
        return result.refuse(
            QString("--max-latency must be a number of ms from 1 to %1, not \"%2\"")
                .arg(ProbeOptions::maxMaxLatencyMs)
                .arg(parser.value(latencyOption)));
    options.allowOutside = parser.isSet(outsideOption);
    return result;
}
