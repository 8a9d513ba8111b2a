// SPDX-License-Identifier: MIT
#include "probe/probeoptions.h"

#include <gtest/gtest.h>

namespace {

ProbeOptionsResult parse(QStringList args)
{
    args.prepend("radarprobe");
    return parseProbeOptions(args);
}

TEST(ProbeOptions, aServerAloneRunsFiveSecondsWithA200MsLimit)
{
    const ProbeOptionsResult r = parse({"table.local:3333"});
    ASSERT_EQ(r.status, ProbeOptionsResult::Run) << qPrintable(r.text);
    EXPECT_EQ(r.options.host, "table.local");
    EXPECT_EQ(r.options.port, 3333);
    EXPECT_EQ(r.options.target, "table.local:3333");
    EXPECT_EQ(r.options.seconds, 5.0);
    EXPECT_EQ(r.options.maxLatencyMs, 200);
    EXPECT_FALSE(r.options.allowOutside);
}

TEST(ProbeOptions, everyOptionIsRead)
{
    const ProbeOptionsResult r =
        parse({"--duration", "0.5", "--max-latency=1500", "--allow-outside", "[::1]:40000"});
    ASSERT_EQ(r.status, ProbeOptionsResult::Run) << qPrintable(r.text);
    EXPECT_EQ(r.options.host, "::1");
    EXPECT_EQ(r.options.port, 40000);
    EXPECT_EQ(r.options.seconds, 0.5);
    EXPECT_EQ(r.options.maxLatencyMs, 1500);
    EXPECT_TRUE(r.options.allowOutside);
}

TEST(ProbeOptions, badValuesAreRefusedWithTheReason)
{
    const QList<std::pair<QStringList, QString>> bad{
        {{}, "which server?"},
        {{"a:1", "b:2"}, "one server at a time"},
        {{"localhost"}, "HOST:PORT"},
        {{"localhost:0"}, "HOST:PORT"},
        {{"::1:5"}, "HOST:PORT"},
        {{"h:1", "--duration", "0"}, "--duration"},
        {{"h:1", "--duration", "-2"}, "--duration"},
        {{"h:1", "--duration", "nan"}, "--duration"},
        {{"h:1", "--duration", "86401"}, "--duration"},
        {{"h:1", "--max-latency", "0"}, "--max-latency"},
        {{"h:1", "--max-latency", "2.5"}, "--max-latency"},
        {{"h:1", "--bogus"}, "bogus"},
    };
    for (const auto &[args, reason] : bad) {
        const ProbeOptionsResult r = parse(args);
        EXPECT_EQ(r.status, ProbeOptionsResult::Invalid) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.text.contains(reason)) << qPrintable(r.text);
    }
}

TEST(ProbeOptions, helpSaysWhatIsCheckedAndWhatIsOnlyNoted)
{
    const ProbeOptionsResult r = parse({"--help"});
    ASSERT_EQ(r.status, ProbeOptionsResult::ShowHelp);
    for (const char *word :
         {"--duration", "--max-latency", "--allow-outside", "6553", "2 + 10 x count",
          "4 + 10 x count", "every 40 ms", "byte offset", "noted", "Exit codes"})
        EXPECT_TRUE(r.text.contains(word)) << word;
}

} // namespace
