// SPDX-License-Identifier: MIT
// The client's own command line, parsed from the arguments the toolkit left.
#include "app/clientoptions.h"
#include "app/exitcause.h"

#include <gtest/gtest.h>

namespace {

CommandLine<ClientOptions> parse(const QStringList &arguments)
{
    return parseClientCommandLine(QStringList{"radarclient"} + arguments);
}

TEST(ClientOptions, withoutKioskEveryErrorWaitsForOk)
{
    const CommandLine<ClientOptions> r = parse({});
    ASSERT_EQ(r.status, CommandLineRequest::Run);
    EXPECT_FALSE(r.options.kiosk());
}

TEST(ClientOptions, kioskTakesAnOptionalNumberOfSeconds)
{
    const struct
    {
        QStringList arguments;
        int seconds;
    } cases[] = {{{"--kiosk"}, ClientOptions::defaultKioskSeconds},
                 {{"--kiosk", "1"}, 1},
                 {{"--kiosk", "25"}, 25},
                 {{"--kiosk", QString::number(ClientOptions::maxKioskSeconds)},
                  ClientOptions::maxKioskSeconds},
                 {{"3", "--kiosk"}, 3}};
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(' ')));
        const CommandLine<ClientOptions> r = parse(c.arguments);
        ASSERT_EQ(r.status, CommandLineRequest::Run) << qPrintable(r.text);
        EXPECT_TRUE(r.options.kiosk());
        EXPECT_EQ(r.options.kioskSeconds, c.seconds);
    }
}

TEST(ClientOptions, refusesWhatItCannotUseWithOneLine)
{
    const QStringList tooLong = QStringList{QString::number(ClientOptions::maxKioskSeconds + 1)};
    const struct
    {
        QStringList arguments;
        const char *reason;
    } cases[] = {{{"--kiosk", "0"}, "1 to"},
                 {{"--kiosk", "2.5"}, "\"2.5\""},
                 {{"--kiosk", "ten"}, "\"ten\""},
                 {QStringList{"--kiosk"} + tooLong, "1 to"},
                 {{"--kiosk", "1", "2"}, "\"1 2\""},
                 {{"5"}, "unexpected argument \"5\""},
                 {{"--kiosk", "-5"}, "Unknown option"},
                 {{"--fullscreen"}, "Unknown option"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(' ')));
        const CommandLine<ClientOptions> r = parse(c.arguments);
        EXPECT_EQ(r.status, CommandLineRequest::Invalid);
        EXPECT_TRUE(r.text.contains(c.reason)) << qPrintable(r.text);
        EXPECT_FALSE(r.text.contains('\n')) << qPrintable(r.text);
    }
}

TEST(ClientOptions, helpAndVersionAreAnsweredWithoutADisplay)
{
    for (const char *help : {"--help", "-h", "--help-all"}) {
        SCOPED_TRACE(help);
        EXPECT_TRUE(asksForHelpOrVersion({"radarclient", "-display", ":1", help}));
        EXPECT_EQ(parse({help}).status, CommandLineRequest::ShowHelp);
    }
    const CommandLine<ClientOptions> help = parse({"--help"});
    for (const char *word : {"--kiosk", "SECONDS", "-display"})
        EXPECT_TRUE(help.text.contains(word)) << word;
    for (ExitCause cause :
         {ExitCause::settingsUnreadable, ExitCause::serverUnreachable, ExitCause::connectionLost})
        EXPECT_TRUE(
            help.text.contains(QString("%1  %2").arg(kioskExitStatus(cause)).arg(describe(cause))))
            << qPrintable(describe(cause));

    EXPECT_TRUE(asksForHelpOrVersion({"radarclient", "--version"}));
    EXPECT_EQ(parse({"--version"}).status, CommandLineRequest::ShowVersion);
    // What follows "--" is no option, and the toolkit's arguments ask nothing.
    EXPECT_FALSE(asksForHelpOrVersion({"radarclient", "--", "--help"}));
    EXPECT_FALSE(asksForHelpOrVersion({"radarclient", "-display", ":1", "--kiosk", "5"}));
}

} // namespace
