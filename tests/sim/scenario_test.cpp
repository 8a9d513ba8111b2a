// SPDX-License-Identifier: MIT
#include "sim/scenario.h"

#include "sim/blockencoder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

Scenario parsed(const char *text)
{
    const ScenarioParse p = parseScenario(text, "test.txt");
    EXPECT_TRUE(p.scenario) << qPrintable(p.error);
    return p.scenario.value_or(Scenario{});
}

QString errorOf(const QByteArray &text)
{
    const ScenarioParse p = parseScenario(text, "test.txt");
    EXPECT_FALSE(p.scenario) << text.constData();
    return p.error;
}

TEST(Scenario, legsMoveEvenlyAndExistOnlyWhileTheyLast)
{
    const Scenario s = parsed("# comment line\n"
                              "\n"
                              "1   0 0   1 0.5   for 4   7   # trailing comment\r\n"
                              "2.5 0.5 1 0.5 0   speed 0.5  65535\n");
    ASSERT_EQ(s.legs.size(), 2);
    EXPECT_EQ(s.legs[0].line, 3);
    EXPECT_EQ(s.legs[1].end, 4.5); // length 1 at 0.5 per second

    EXPECT_TRUE(s.targetsAt(0.99).isEmpty());
    const QVector<SimTarget> atTwo = s.targetsAt(2.0);
    ASSERT_EQ(atTwo.size(), 1);
    EXPECT_FLOAT_EQ(atTwo[0].x, 0.25f);
    EXPECT_FLOAT_EQ(atTwo[0].y, 0.125f);
    EXPECT_EQ(atTwo[0].value, 7);

    // Both alive, in file order; the second half way down.
    const QVector<SimTarget> both = s.targetsAt(3.5);
    ASSERT_EQ(both.size(), 2);
    EXPECT_EQ(both[0].value, 7);
    EXPECT_FLOAT_EQ(both[1].y, 0.5f);
    EXPECT_EQ(both[1].value, 65535);

    // Half-open: gone at the very end; no loop, so nothing ever after.
    EXPECT_EQ(s.targetsAt(4.5).size(), 1);
    EXPECT_TRUE(s.targetsAt(5.0).isEmpty());
    EXPECT_TRUE(s.targetsAt(1e6).isEmpty());

    // A file saved with a UTF-8 byte-order mark reads as without it.
    const Scenario marked = parsed("\xEF\xBB\xBF"
                                   "1   0 0   1 0.5   for 4   7\n");
    ASSERT_EQ(marked.legs.size(), 1);
    EXPECT_EQ(marked.legs[0].value, 7);
}

TEST(Scenario, aRepeatMakesShiftedLaterCopiesWithRisingValues)
{
    const Scenario s = parsed("0  0 0  0 0.5  for 10  100  repeat 3 every 2 shift 0.25 0.1\n"
                              "30 0.5 0.5 0.5 0.5 for 1 9 repeat 2\n");
    ASSERT_EQ(s.legs.size(), 5);
    EXPECT_EQ(s.legs[2].start, 4.0);
    EXPECT_EQ(s.legs[2].end, 14.0);
    EXPECT_DOUBLE_EQ(s.legs[2].x0, 0.5);
    EXPECT_DOUBLE_EQ(s.legs[2].y1, 0.7);
    EXPECT_EQ(s.legs[2].value, 102);
    EXPECT_EQ(s.legs[2].line, 1);
    // Without "every" and "shift" the copies stand on each other.
    EXPECT_EQ(s.legs[4].start, 30.0);
    EXPECT_EQ(s.legs[4].x0, 0.5);
    EXPECT_EQ(s.legs[4].value, 10);
    EXPECT_EQ(s.targetsAt(5.0).size(), 3);
    EXPECT_EQ(s.targetsAt(30.5).size(), 2);
}

TEST(Scenario, aLoopRepeatsThePeriodOrTheRunToTheLastEnd)
{
    const Scenario byPeriod = parsed("loop 10\n0 0 0 1 0 for 4 1\n");
    EXPECT_EQ(byPeriod.loopSeconds, 10.0);
    EXPECT_FLOAT_EQ(byPeriod.targetsAt(21.0)[0].x, 0.25f);
    EXPECT_TRUE(byPeriod.targetsAt(15.0).isEmpty());

    const Scenario byLastEnd = parsed("0 0 0 1 0 for 4 1\n2 0 1 1 1 for 4 2\nloop\n");
    EXPECT_EQ(byLastEnd.loopSeconds, 6.0);
    const QVector<SimTarget> wrapped = byLastEnd.targetsAt(6.0 * 1000 + 3.0);
    ASSERT_EQ(wrapped.size(), 2);
    EXPECT_FLOAT_EQ(wrapped[0].x, 0.75f);
    EXPECT_FLOAT_EQ(wrapped[1].x, 0.25f);
}

TEST(Scenario, mistakesNameTheirFileAndLine)
{
    const QList<std::pair<QByteArray, QString>> bad{
        {"0 0 0 1 1 for 1", "test.txt:1: a leg has 8 fields"},
        {"# fine\n0 0 0 1 1 walk 1 1", "test.txt:2: expected \"speed\" or \"for\""},
        {"x 0 0 1 1 for 1 1", "test.txt:1: unknown line starting with \"x\""},
        {"0 0 0 1.5 1 for 1 1", "test.txt:1: x1 \"1.5\" is outside the unit square"},
        {"0 0 -0.1 1 1 for 1 1", "test.txt:1: y0 \"-0.1\" is outside"},
        {"0 0 0 1 1 for 0 1", "test.txt:1: duration \"0\" must be above 0"},
        {"0 0 0 1 1 speed -1 1", "test.txt:1: speed \"-1\" must be above 0"},
        {"0 0.5 0.5 0.5 0.5 speed 1 1", "test.txt:1: a leg that stays in one place"},
        {"-1 0 0 1 1 for 1 1", "test.txt:1: start time \"-1\" is negative"},
        {"0 0 0 1 1 for 1 65536", "test.txt:1: value \"65536\" must be a whole number"},
        {"0 0 0 1 1 for 1 2.5", "test.txt:1: value \"2.5\""},
        {"0 0 0 1 1 for nan 1", "test.txt:1: duration \"nan\" is not a number"},
        {"0 0 0 1 1 for 1,5 1", "test.txt:1: duration \"1,5\" is not a number"},
        {"0 0 0 1 1 for 1 1 again", "test.txt:1: unexpected \"again\" after the value"},
        {"0 0 0 1 1 for 1 1 repeat", "test.txt:1: \"repeat\" needs a number"},
        {"0 0 0 1 1 for 1 1 repeat 0", "test.txt:1: repeat count \"0\""},
        {"0 0 0 0.5 0.5 for 1 1 repeat 3 shift 0.3", "test.txt:1: \"shift\" needs two numbers"},
        {"0 0 0 0.5 0.5 for 1 1 repeat 3 shift 0.3 0", "test.txt:1: copy 3 of the repeat leaves"},
        {"0 0 0 1 1 for 1 1 repeat 2 every -1", "test.txt:1: \"every\" must not be negative"},
        {"0 0 0 1 1 for 1 1 repeat 2 every 1 every 1", "test.txt:1: unexpected \"every\""},
        {"0 0 0 1 1 for 1 65535 repeat 2", "test.txt:1: the last of 2 copies would carry value"},
        {"0 0 0 1 1 for 1 1 repeat 100001", "test.txt:1: repeat count"},
        {"loop\nloop 3\n0 0 0 1 1 for 1 1",
         "test.txt:2: a second \"loop\" line; the first is line 1"},
        {"loop 0\n0 0 0 1 1 for 1 1", "test.txt:1: loop period \"0\" must be above 0"},
        {"loop 5 6\n0 0 0 1 1 for 1 1", "test.txt:1: \"loop\" takes at most one field"},
        {"loop 5\n\n0 0 0 1 1 for 1 1\n3 0 0 1 1 for 3 1", "test.txt:4: the leg ends at 6 s, after "
                                                           "the loop period of 5 s (line 1)"},
        {"# nothing\n", "test.txt: no legs"},
        {"", "test.txt: no legs"},
        {"0 0 0 1 1 for 1e400 1", "test.txt:1: duration \"1e400\" is not a number"},
        {"1e300 0 0 1 1 for 1e-300 1", "test.txt:1: the leg is too short"},
        // Copies get the checks of their line: one that lasts no time after
        // its late start, one that starts at infinity.
        {"0 0 0 1 1 for 1 1 repeat 3 every 1e17",
         "test.txt:1: copy 2 of the repeat, at 1e+17 s, is too short"},
        {"0 0 0 1 1 for 1e300 1 repeat 3 every 1e308",
         "test.txt:1: copy 3 of the repeat would start beyond"},
    };
    for (const auto &[text, message] : bad) {
        const QString error = errorOf(text);
        EXPECT_TRUE(error.startsWith(message)) << text.constData() << "\n -> " << qPrintable(error);
    }
}

TEST(Scenario, moreTargetsAliveThanABlockHoldsIsRefusedAtTheLegThatOverfills)
{
    const QByteArray full = "0 0 0 1 1 for 10 1 repeat 6553\n";
    EXPECT_TRUE(parseScenario(full + "10 0 0 1 1 for 1 1\n", "f").scenario) << "ends before";
    const QString error = errorOf(full + "# later\n9.5 0 0 1 1 for 1 1\n");
    EXPECT_TRUE(error.startsWith("test.txt:3: more than 6553 targets alive at 9.5 s"))
        << qPrintable(error);
    EXPECT_TRUE(errorOf("0 0 0 1 1 for 1 1 repeat 6554").startsWith("test.txt:1: more than 6553"));
}

TEST(Scenario, oversizedFilesAndLegCountsAreRefusedBeforeTheyCostMemory)
{
    const QByteArray huge(int(Scenario::maxFileBytes) + 1, ' ');
    EXPECT_TRUE(errorOf(huge).contains("larger than"));
    QByteArray many;
    for (int i = 0; i < 2; ++i)
        many += "0 0 0 1 1 for 1 1 repeat 60000 every 1\n";
    EXPECT_TRUE(errorOf(many).startsWith("test.txt:2: more than 100000 legs"));
}

// Arbitrary bytes give an error or a scenario, never a crash.
TEST(Scenario, garbageIsRefusedCleanly)
{
    QByteArray noise;
    quint32 state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        noise.append(char(state >> 24));
    }
    EXPECT_FALSE(parseScenario(noise, "noise").scenario);
    static const char withNul[] = "0 0 0 1 1 for 1 1\0 x";
    EXPECT_FALSE(parseScenario(QByteArray(withNul, sizeof withNul - 1), "nul").scenario);
}

QByteArray example(const char *name)
{
    QFile file(QString(RADAR_SCENARIO_DIR) + "/" + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

TEST(Scenario, theShippedExamplesAreValid)
{
    const ScenarioParse visitors = parseScenario(example("visitors.txt"), "visitors.txt");
    ASSERT_TRUE(visitors.scenario) << qPrintable(visitors.error);
    EXPECT_GT(visitors.scenario->loopSeconds, 0.0);
    int most = 0;
    for (double t = 0.0; t < visitors.scenario->loopSeconds; t += 0.25) {
        for (const SimTarget &target : visitors.scenario->targetsAt(t)) {
            EXPECT_GE(target.x, 0.0f);
            EXPECT_LE(target.y, 1.0f);
        }
        most = std::max(most, int(visitors.scenario->targetsAt(t).size()));
    }
    EXPECT_GE(most, 3);
    EXPECT_LE(most, 10);

    const ScenarioParse crowd = parseScenario(example("crowd.txt"), "crowd.txt");
    ASSERT_TRUE(crowd.scenario) << qPrintable(crowd.error);
    for (double t : {0.0, 9.999, 10.0, 19.9, 20.0, 1234.5})
        EXPECT_EQ(crowd.scenario->targetsAt(t).size(), BlockEncoder::maxRecordsPerBlock) << t;
    const QVector<SimTarget> frame = crowd.scenario->targetsAt(3.0);
    EXPECT_EQ(frame.first().value, 1);
    EXPECT_EQ(frame.last().value, 6553);
}

} // namespace
