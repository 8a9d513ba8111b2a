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

} // namespace
