#include "sim/simoptions.h"

#include "sim/blockencoder.h"

#include <QCommandLineParser>

namespace {

const char *const description =
    "Target simulator for radarclient: answers every request byte 0x02 with one\n"
    "block of targets (the first block of a connection in the first layout, every\n"
    "later one with a running block number) and ignores all other bytes.\n"
    "\n"
    "Patterns:\n"
    "  walk     people strolling smoothly through the unit square (set by --seed)\n"
    "  grid     fixed targets on a square grid filling the unit square\n"
    "  corners  fixed targets at (0,0), (1,0), (0,1), (1,1) and (0.5,0.5); more\n"
    "           targets repeat these five positions\n"
    "\n"
    "A block's 16-bit size field limits it to 6553 records, so --targets accepts\n"
    "0 to 6553 although the client's table holds 10000.\n"
    "\n"
    "Exit codes: 0 after SIGINT or SIGTERM, 1 when the port cannot be opened,\n"
    "2 for invalid options.";

} // namespace

SimOptionsResult parseSimOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(description));
    const QCommandLineOption helpOption = parser.addHelpOption();
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
    parser.addOptions({portOption, addressOption, targetsOption, seedOption, patternOption});

    SimOptionsResult result;
    auto invalid = [&result](const QString &message) {
        result.status = SimOptionsResult::Invalid;
        result.text = message;
        return result;
    };

    if (!parser.parse(arguments))
        return invalid(parser.errorText());
    if (parser.isSet(helpOption)) {
        result.status = SimOptionsResult::ShowHelp;
        result.text = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return invalid("unexpected argument \"" + parser.positionalArguments().first() + "\"");

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok, 10);
    if (!ok || port > 0xffff)
        return invalid("--port must be a number from 0 to 65535, not \"" +
                       parser.value(portOption) + "\"");
    result.options.port = quint16(port);

    if (parser.isSet(addressOption)) {
        QHostAddress address;
        if (!address.setAddress(parser.value(addressOption)))
            return invalid("--address must be an IP address, not \"" + parser.value(addressOption) +
                           "\"");
        result.options.address = address;
    }

    const int targets = parser.value(targetsOption).toInt(&ok, 10);
    if (!ok || targets < 0 || targets > BlockEncoder::maxRecordsPerBlock)
        return invalid(QString("--targets must be a number from 0 to %1 (a block's 16-bit size "
                               "field holds at most %1 records), not \"%2\"")
                           .arg(BlockEncoder::maxRecordsPerBlock)
                           .arg(parser.value(targetsOption)));
    result.options.targets = targets;

    result.options.seed = parser.value(seedOption).toULongLong(&ok, 10);
    if (!ok)
        return invalid("--seed must be a non-negative number, not \"" + parser.value(seedOption) +
                       "\"");

    const auto pattern = patternFromName(parser.value(patternOption));
    if (!pattern)
        return invalid("--pattern must be one of " + patternNames().join(", ") + ", not \"" +
                       parser.value(patternOption) + "\"");
    result.options.pattern = *pattern;
    return result;
}
