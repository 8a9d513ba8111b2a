// SPDX-License-Identifier: MIT
#include "net/hostport.h"
#include "sim/simoptions.h"

#include <gtest/gtest.h>

namespace {

SimOptionsResult parse(QStringList args)
{
    args.prepend("radarsim");
    return parseSimOptions(args);
}

TEST(SimOptions, defaultsServeFiveWalkersOnPort3333)
{
    const SimOptionsResult r = parse({});
    ASSERT_EQ(r.status, SimOptionsResult::Run);
    EXPECT_EQ(r.options.port, 3333);
    EXPECT_EQ(r.options.targets, 5);
    EXPECT_EQ(r.options.pattern, Pattern::Walk);
    EXPECT_EQ(r.options.seed, 1u);
    EXPECT_EQ(r.options.address, QHostAddress(QHostAddress::Any));
}

TEST(SimOptions, everyOptionIsRead)
{
    const SimOptionsResult r =
        parse({"--port", "0", "--targets", "6553", "--seed", "18446744073709551615",
               "--pattern=corners", "--address", "127.0.0.1"});
    ASSERT_EQ(r.status, SimOptionsResult::Run) << qPrintable(r.text);
    EXPECT_EQ(r.options.port, 0);
    EXPECT_EQ(r.options.targets, 6553);
    EXPECT_EQ(r.options.seed, 18446744073709551615ull);
    EXPECT_EQ(r.options.pattern, Pattern::Corners);
    EXPECT_EQ(r.options.address, QHostAddress(QHostAddress::LocalHost));
}

TEST(SimOptions, targetCountsTheSizeFieldCannotCarryAreRefused)
{
    for (const char *bad : {"6554", "10000", "-1", "five", ""}) {
        const SimOptionsResult r = parse({"--targets", bad});
        EXPECT_EQ(r.status, SimOptionsResult::Invalid) << bad;
        EXPECT_TRUE(r.text.contains("6553")) << qPrintable(r.text);
    }
    EXPECT_EQ(parse({"--targets", "0"}).status, SimOptionsResult::Run);
}

TEST(SimOptions, badValuesAreRefusedWithTheOptionNamed)
{
    const QList<QStringList> bad{
        {"--port", "65536"},   {"--port", "-1"}, {"--seed", "-3"}, {"--pattern", "spiral"},
        {"--address", "nope"}, {"--bogus"},      {"stray"},        {"--port"}};
    for (const QStringList &args : bad) {
        const SimOptionsResult r = parse(args);
        EXPECT_EQ(r.status, SimOptionsResult::Invalid) << qPrintable(args.join(' '));
        EXPECT_FALSE(r.text.isEmpty());
    }
    EXPECT_TRUE(parse({"--pattern", "spiral"}).text.contains("walk, grid, corners"));
}

TEST(SimOptions, helpExplainsTheRecordLimitAndThePatterns)
{
    const SimOptionsResult r = parse({"--help"});
    ASSERT_EQ(r.status, SimOptionsResult::ShowHelp);
    for (const char *word :
         {"--port", "--targets", "--seed", "--pattern", "6553", "10000", "corners", "(0.5,0.5)"})
        EXPECT_TRUE(r.text.contains(word)) << word;
}

TEST(SimOptions, eachSourceIsReadWithItsCompanions)
{
    const SimOptionsResult scenario = parse({"--scenario", "walk.txt", "--fault", "split:3"});
    ASSERT_EQ(scenario.status, SimOptionsResult::Run) << qPrintable(scenario.text);
    EXPECT_EQ(scenario.options.mode, SimOptions::Mode::Scenario);
    EXPECT_EQ(scenario.options.file, "walk.txt");
    EXPECT_EQ(scenario.options.faults.splitGapMs, 3);

    const SimOptionsResult replay =
        parse({"--replay", "a.rec", "--loop", "--fault", "delay:20", "--fault", "drop:4"});
    ASSERT_EQ(replay.status, SimOptionsResult::Run) << qPrintable(replay.text);
    EXPECT_EQ(replay.options.mode, SimOptions::Mode::Replay);
    EXPECT_TRUE(replay.options.loop);
    EXPECT_EQ(replay.options.faults.delayMs, 20);
    EXPECT_EQ(replay.options.faults.dropAfter, 4);

    const SimOptionsResult record = parse({"--record", "b.rec", "--upstream", "[::1]:3333"});
    ASSERT_EQ(record.status, SimOptionsResult::Run) << qPrintable(record.text);
    EXPECT_EQ(record.options.mode, SimOptions::Mode::Record);
    EXPECT_EQ(record.options.upstreamHost, "::1");
    EXPECT_EQ(record.options.upstreamPort, 3333);

    const SimOptionsResult pattern = parse({"--fault", "overcount", "--fault", "badsize:-1"});
    ASSERT_EQ(pattern.status, SimOptionsResult::Run) << qPrintable(pattern.text);
    EXPECT_EQ(pattern.options.mode, SimOptions::Mode::Pattern);
    EXPECT_EQ(pattern.options.faults.overcount, 65535);
    EXPECT_EQ(pattern.options.faults.sizeDelta, -1);
}

TEST(SimOptions, combinationsThatMakeNoSenseAreRefused)
{
    const QList<std::pair<QStringList, QString>> bad{
        {{"--scenario", "a", "--replay", "b"}, "--scenario and --replay cannot be combined"},
        {{"--replay", "a", "--record", "b", "--upstream", "h:1"}, "cannot be combined"},
        {{"--scenario", "a", "--targets", "3"}, "--targets belongs to the patterns"},
        {{"--replay", "a", "--pattern", "grid"}, "--pattern belongs to the patterns"},
        {{"--loop"}, "--loop goes with --replay"},
        {{"--scenario", "a", "--loop"}, "own \"loop\" line"},
        {{"--record", "a"}, "--record and --upstream"},
        {{"--upstream", "h:1"}, "--record and --upstream"},
        {{"--record", "a", "--upstream", "h:1", "--fault", "split"}, "does not go with --record"},
        {{"--replay", "a", "--fault", "overcount"}, "a replay sends recorded bytes"},
        {{"--replay", ""}, "--replay needs a file name"},
        {{"--fault", "nope"}, "no fault mode"},
    };
    for (const auto &[args, message] : bad) {
        const SimOptionsResult r = parse(args);
        EXPECT_EQ(r.status, SimOptionsResult::Invalid) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.text.contains(message)) << qPrintable(r.text);
    }
}

TEST(SimOptions, upstreamMustBeHostAndPort)
{
    QString host;
    quint16 port = 0;
    EXPECT_TRUE(parseHostPort("radar-table.local:3333", &host, &port));
    EXPECT_EQ(host, "radar-table.local");
    EXPECT_EQ(port, 3333);
    EXPECT_TRUE(parseHostPort("[fe80::1]:1", &host, &port));
    EXPECT_EQ(host, "fe80::1");
    for (const char *bad :
         {"host", "host:", ":3333", "host:0", "host:65536", "::1:3333", "host:33x", "[::1]3333"})
        EXPECT_FALSE(parseHostPort(bad, &host, &port)) << bad;
    EXPECT_EQ(parse({"--record", "a", "--upstream", "nohost"}).status, SimOptionsResult::Invalid);
}

TEST(SimOptions, helpDescribesTheSourcesAndEveryFaultMode)
{
    const QString help = parse({"--help"}).text;
    for (const char *word :
         {"--scenario", "--replay", "--loop", "--record", "--upstream", "--fault", "split[:MS]",
          "delay:MS", "drop:N", "badsize[:DELTA]", "overcount[:COUNT]", "second block"})
        EXPECT_TRUE(help.contains(word)) << word;
}

} // namespace
