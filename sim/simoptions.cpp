// SPDX-License-Identifier: MIT
#include "sim/simoptions.h"

#include "net/hostport.h"
#include "net/wireformat.h"
#include "sim/blockencoder.h"

#include <QCommandLineParser>

namespace {

const char *const description =
    "Target simulator for radarclient: answers every request byte %3 with one\n"
    "block of targets (the first block of a connection in the first layout, every\n"
    "later one with a running block number) and ignores all other bytes.\n"
    "\n"
    "Where the blocks come from, one of:\n"
    "  --pattern NAME   a built-in pattern (the default: walk)\n"
    "  --scenario FILE  targets on the legs of a scenario file\n"
    "  --replay FILE    the blocks of a recording, with their recorded timing\n"
    "  --record FILE    a real server: each client is forwarded to --upstream\n"
    "                   HOST:PORT and the first client's reply blocks are\n"
    "                   recorded into FILE with their arrival times\n"
    "  --tuio PORT, --sbs HOST:PORT   a feed bridge (below)\n"
    "\n"
    "Patterns:\n"
    "  walk     people strolling smoothly through the unit square (set by --seed)\n"
    "  grid     fixed targets on a square grid filling the unit square\n"
    "  corners  fixed targets at (0,0), (1,0), (0,1), (1,1) and (0.5,0.5); more\n"
    "           targets repeat these five positions\n"
    "\n"
    "A replay answers a connection's k-th request with the k-th recorded block,\n"
    "never before the block's recorded time after the connection was accepted.\n"
    "When the recording runs out the connection is closed, unless --loop goes on\n"
    "with the second block (the first one's layout comes once per connection).\n"
    "\n"
    "Faults (--fault MODE, may be repeated with different modes; not with\n"
    "--record --upstream, and no overcount with --replay):\n"
    "%1"
    "\n"
    "%2"
    "\n"
    "A block's 16-bit size field limits it to %4 records, so --targets accepts\n"
    "0 to %4 although the client's table holds %5.\n"
    "\n"
    "Exit codes: 0 after SIGINT or SIGTERM, 1 when the port cannot be opened or\n"
    "the recording cannot be written, 2 for invalid options (an --upstream that is\n"
    "the recorder itself too) or an unreadable or invalid scenario or recording.";

} // namespace

SimOptionsResult parseSimOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString::fromLatin1(description)
            .arg(faultModesHelp(), BridgeCommandLine::help(),
                 QString::asprintf("0x%02x", unsigned(wire::requestByte)),
                 QString::number(wire::maxRecordsPerBlock),
                 QString::number(wire::clientTableSize)));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        "port",
        QString("TCP port to listen on (default %1; 0 picks a free port).")
            .arg(SimOptions::defaultPort),
        "port", QString::number(SimOptions::defaultPort));
    const QCommandLineOption addressOption(
        "address", "Address to listen on (default: all interfaces).", "address");
    const QCommandLineOption targetsOption("targets",
                                           QString("Number of targets, 0 to %1 (default %2).")
                                               .arg(BlockEncoder::maxRecordsPerBlock)
                                               .arg(SimOptions::defaultTargets),
                                           "count", QString::number(SimOptions::defaultTargets));
    const QCommandLineOption seedOption(
        "seed", QString("Seed of the walk pattern (default %1).").arg(SimOptions::defaultSeed),
        "number", QString::number(SimOptions::defaultSeed));
    const QCommandLineOption patternOption(
        "pattern", QString("Target pattern: %1 (default walk).").arg(patternNames().join('|')),
        "name", "walk");
    const QCommandLineOption scenarioOption("scenario", "Serve the targets of a scenario file.",
                                            "file");
    const QCommandLineOption replayOption("replay", "Serve the blocks of a recording.", "file");
    const QCommandLineOption loopOption("loop", "Replay the recording for ever.");
    const QCommandLineOption recordOption(
        "record", "Record the first client's blocks from --upstream into a file.", "file");
    const QCommandLineOption upstreamOption("upstream", "The real server to record, HOST:PORT.",
                                            "host:port");
    const QCommandLineOption faultOption("fault", "Misbehave on purpose (modes above).", "mode");
    parser.addOptions({portOption, addressOption, targetsOption, seedOption, patternOption,
                       scenarioOption, replayOption, loopOption, recordOption, upstreamOption,
                       faultOption});
    const BridgeCommandLine bridgeOptions;
    bridgeOptions.addTo(parser);

    SimOptionsResult result;
    if (!result.parse(parser, arguments))
        return result;
    SimOptions &options = result.options;
    if (!parser.positionalArguments().isEmpty())
        return result.refuse("unexpected argument \"" + parser.positionalArguments().first() +
                             "\"");

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok, 10);
    if (!ok || port > 0xffff)
        return result.refuse("--port must be a number from 0 to 65535, not \"" +
                             parser.value(portOption) + "\"");
    options.port = quint16(port);

    if (parser.isSet(addressOption)) {
        QHostAddress address;
        if (!address.setAddress(parser.value(addressOption)))
            return result.refuse("--address must be an IP address, not \"" +
                                 parser.value(addressOption) + "\"");
        options.address = address;
    }

    if (const QString error = bridgeOptions.read(parser, &options.bridge); !error.isEmpty())
        return result.refuse(error);
    const bool bridged = options.bridge.kind != BridgeOptions::Kind::None;

    // The source: at most one of the three files or a bridge (which --record
    // may record), the pattern otherwise.
    QStringList sources;
    for (const QCommandLineOption *o : {&scenarioOption, &replayOption, &recordOption})
        if (parser.isSet(*o) && !(bridged && o == &recordOption))
            sources << "--" + o->names().first();
    if (bridged)
        sources << (options.bridge.kind == BridgeOptions::Kind::Tuio ? "--tuio" : "--sbs");
    if (sources.size() > 1)
        return result.refuse(sources.join(" and ") +
                             " cannot be combined: give one source of blocks");
    if (parser.isSet(scenarioOption)) {
        options.mode = SimOptions::Mode::Scenario;
        options.file = parser.value(scenarioOption);
    } else if (parser.isSet(replayOption)) {
        options.mode = SimOptions::Mode::Replay;
        options.file = parser.value(replayOption);
    } else if (bridged) {
        options.mode = options.bridge.kind == BridgeOptions::Kind::Tuio ? SimOptions::Mode::Tuio
                                                                        : SimOptions::Mode::Sbs;
        options.file = parser.value(recordOption);
        if (parser.isSet(upstreamOption))
            return result.refuse("--upstream does not go with " + sources.first() +
                                 ": the bridge is the source, --record FILE alone records it");
        if (parser.isSet(recordOption) && options.file.isEmpty())
            return result.refuse("--record needs a file name");
    } else if (parser.isSet(recordOption)) {
        options.mode = SimOptions::Mode::Record;
        options.file = parser.value(recordOption);
    }
    if (options.mode != SimOptions::Mode::Pattern && !bridged && options.file.isEmpty())
        return result.refuse(sources.first() + " needs a file name");
    if (options.mode != SimOptions::Mode::Pattern)
        for (const QCommandLineOption *o : {&targetsOption, &seedOption, &patternOption})
            if (parser.isSet(*o))
                return result.refuse("--" + o->names().first() + " belongs to the patterns; " +
                                     sources.first() + " brings its own targets");

    if (parser.isSet(loopOption) && options.mode != SimOptions::Mode::Replay)
        return result.refuse(
            "--loop goes with --replay (a scenario loops with its own \"loop\" line)");
    options.loop = parser.isSet(loopOption);

    if (parser.isSet(upstreamOption) != (options.mode == SimOptions::Mode::Record))
        return result.refuse("--record and --upstream HOST:PORT go together");
    if (parser.isSet(upstreamOption) &&
        !parseHostPort(parser.value(upstreamOption), &options.upstreamHost, &options.upstreamPort))
        return result.refuse("--upstream must be HOST:PORT with a port from 1 to 65535, not \"" +
                             parser.value(upstreamOption) + "\"");

    for (const QString &fault : parser.values(faultOption))
        if (const QString error = addFault(options.faults, fault); !error.isEmpty())
            return result.refuse(error);
    if (options.faults.any() && options.mode == SimOptions::Mode::Record)
        return result.refuse(
            "--fault does not go with --record: the recorder forwards bytes unchanged");
    if (options.faults.overcount != 0 && options.mode == SimOptions::Mode::Replay)
        return result.refuse(
            "--fault overcount needs targets to encode; a replay sends recorded bytes");

    const int targets = parser.value(targetsOption).toInt(&ok, 10);
    if (!ok || targets < 0 || targets > BlockEncoder::maxRecordsPerBlock)
        return result.refuse(
            QString("--targets must be a number from 0 to %1 (a block's 16-bit size "
                    "field holds at most %1 records), not \"%2\"")
                .arg(BlockEncoder::maxRecordsPerBlock)
                .arg(parser.value(targetsOption)));
    options.targets = targets;

    options.seed = parser.value(seedOption).toULongLong(&ok, 10);
    if (!ok)
        return result.refuse("--seed must be a non-negative number, not \"" +
                             parser.value(seedOption) + "\"");

    const auto pattern = patternFromName(parser.value(patternOption));
    if (!pattern)
        return result.refuse("--pattern must be one of " + patternNames().join(", ") + ", not \"" +
                             parser.value(patternOption) + "\"");
    options.pattern = *pattern;
    return result;
}
