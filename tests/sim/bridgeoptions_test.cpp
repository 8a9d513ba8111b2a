// SPDX-License-Identifier: MIT
// radarsim's command line for the feed bridges.
#include "sim/simoptions.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

SimOptionsResult parse(QStringList args)
{
    args.prepend("radarsim");
    return parseSimOptions(args);
}

TEST(BridgeOptions, eachBridgeIsReadWithItsCompanions)
{
    const SimOptionsResult tuio = parse({"--tuio", "0", "--tuio-address", "::1", "--tuio-timeout",
                                         "2500", "--value", "class", "--flip-y"});
    ASSERT_EQ(tuio.status, SimOptionsResult::Run) << qPrintable(tuio.text);
    const BridgeOptions &t = tuio.options.bridge;
    EXPECT_EQ(tuio.options.mode, SimOptions::Mode::Tuio);
    EXPECT_EQ(t.tuioPort, 0);
    EXPECT_EQ(t.tuioAddress, QHostAddress(QHostAddress::LocalHostIPv6));
    EXPECT_EQ(t.tuio.silenceMs, 2500);
    EXPECT_EQ(t.tuio.value, TuioTracker::Value::ClassId);
    EXPECT_FALSE(t.tuio.orientation.flipX);
    EXPECT_TRUE(t.tuio.orientation.flipY);
    EXPECT_TRUE(tuio.options.file.isEmpty());

    const SimOptionsResult sbs =
        parse({"--sbs", "[::1]:30003", "--site", "52.3,-4.75", "--range", "80.5", "--value", "icao",
               "--flip-x", "--record", "sky.rec", "--fault", "split"});
    ASSERT_EQ(sbs.status, SimOptionsResult::Run) << qPrintable(sbs.text);
    const BridgeOptions &s = sbs.options.bridge;
    EXPECT_EQ(sbs.options.mode, SimOptions::Mode::Sbs);
    EXPECT_EQ(s.sbsHost, "::1");
    EXPECT_EQ(s.sbsPort, 30003);
    EXPECT_EQ(s.sbs.site.latitude, 52.3);
    EXPECT_EQ(s.sbs.site.longitude, -4.75);
    EXPECT_EQ(s.sbs.rangeKm, 80.5);
    EXPECT_EQ(s.sbs.value, SbsFeed::Value::Address);
    EXPECT_TRUE(s.sbs.orientation.flipX);
    EXPECT_EQ(sbs.options.file, "sky.rec") << "what is served is recorded";
    EXPECT_TRUE(sbs.options.faults.splitGapMs);

    const SimOptionsResult defaults = parse({"--sbs", "receiver:30003", "--site", "0,0"});
    ASSERT_EQ(defaults.status, SimOptionsResult::Run) << qPrintable(defaults.text);
    EXPECT_EQ(defaults.options.bridge.sbs.rangeKm, SbsFeed::defaultRangeKm);
    EXPECT_EQ(defaults.options.bridge.sbs.value, SbsFeed::Value::Altitude);
}

TEST(BridgeOptions, badValuesAndCombinationsAreRefused)
{
    const QList<std::pair<QStringList, QString>> bad{
        {{"--tuio", "1", "--sbs", "h:1"}, "cannot be combined"},
        {{"--tuio", "65536"}, "--tuio must be a UDP port"},
        {{"--tuio", "x"}, "--tuio must be a UDP port"},
        {{"--tuio", "1", "--tuio-address", "nope"}, "--tuio-address must be an IP address"},
        {{"--tuio", "1", "--tuio-timeout", "0"}, "--tuio-timeout must be"},
        {{"--tuio", "1", "--value", "altitude"}, "session or class"},
        {{"--tuio", "1", "--range", "5"}, "--range goes with --sbs"},
        {{"--tuio", "1", "--scenario", "a"}, "cannot be combined"},
        {{"--tuio", "1", "--targets", "3"}, "--targets belongs to the patterns"},
        {{"--tuio", "1", "--record", "a", "--upstream", "h:1"}, "--upstream does not go"},
        {{"--tuio", "1", "--record", ""}, "--record needs a file name"},
        {{"--sbs", "h:1"}, "--sbs needs --site"},
        {{"--sbs", "h", "--site", "1,1"}, "--sbs must be HOST:PORT"},
        {{"--sbs", "h:1", "--site", "86,0"}, "--site must be"},
        {{"--sbs", "h:1", "--site", "1,181"}, "--site must be"},
        {{"--sbs", "h:1", "--site", "1"}, "--site must be"},
        {{"--sbs", "h:1", "--site", "nan,0"}, "--site must be"},
        {{"--sbs", "h:1", "--site", "1,1", "--range", "0"}, "--range must be"},
        {{"--sbs", "h:1", "--site", "1,1", "--range", "501"}, "--range must be"},
        {{"--sbs", "h:1", "--site", "1,1", "--value", "class"}, "altitude or icao"},
        {{"--sbs", "h:1", "--site", "1,1", "--tuio-timeout", "5"}, "goes with --tuio"},
        {{"--site", "1,1"}, "--site goes with --tuio or --sbs"},
        {{"--flip-x"}, "--flip-x goes with"},
    };
    for (const auto &[args, message] : bad) {
        const SimOptionsResult r = parse(args);
        EXPECT_EQ(r.status, SimOptionsResult::Invalid) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.text.contains(message)) << qPrintable(r.text);
    }
}

TEST(BridgeOptions, helpTellsTheMappings)
{
    const QString help = parse({"--help"}).text;
    for (const char *word : {"--tuio PORT", "--sbs HOST:PORT", "--site", "--range", "--flip-x",
                             "--value", "equirectangular", "north up", "far left"})
        EXPECT_TRUE(help.contains(word)) << word;
}

} // namespace
