// SPDX-License-Identifier: MIT
#include "sim/faults.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

FaultPlan plan(const QStringList &specs, QString *error = nullptr)
{
    FaultPlan p;
    for (const QString &spec : specs) {
        const QString e = addFault(p, spec);
        if (!e.isEmpty()) {
            if (error)
                *error = e;
            break;
        }
    }
    return p;
}

TEST(Faults, modesTakeTheirDefaultsAndParameters)
{
    const FaultPlan defaults = plan({"split", "badsize", "overcount"});
    EXPECT_EQ(defaults.splitGapMs, 1);
    EXPECT_EQ(defaults.sizeDelta, 2);
    EXPECT_EQ(defaults.overcount, 65535);
    EXPECT_FALSE(defaults.delayMs);
    EXPECT_FALSE(defaults.dropAfter);
    EXPECT_TRUE(defaults.shapesDelivery());

    const FaultPlan set = plan({"split:0", "delay:500", "drop:10", "badsize:-4", "overcount:6554"});
    EXPECT_EQ(set.splitGapMs, 0);
    EXPECT_EQ(set.delayMs, 500);
    EXPECT_EQ(set.dropAfter, 10);
    EXPECT_EQ(set.sizeDelta, -4);
    EXPECT_EQ(set.overcount, 6554);

    EXPECT_EQ(plan({"drop:0"}).dropAfter, 0);
    EXPECT_FALSE(plan({}).any());
    EXPECT_FALSE(plan({"drop:3", "badsize"}).shapesDelivery());
}

TEST(Faults, badModesAndParametersAreRefusedWithTheReason)
{
    const QList<std::pair<QString, QString>> bad{
        {"wobble", "no fault mode"},   {"delay", "delay:500"},
        {"delay:0", "1 to"},           {"delay:-5", "1 to"},
        {"delay:1e3", "1 to"},         {"drop", "drop:10"},
        {"drop:-1", "0 or more"},      {"split:x", "gap"},
        {"split:3600001", "gap"},      {"badsize:0", "non-zero"},
        {"badsize:65536", "non-zero"}, {"overcount:6553", "6554"},
        {"overcount:65536", "65535"},  {"SPLIT", "no fault mode"},
        {"", "no fault mode"}};
    for (const auto &[spec, reason] : bad) {
        QString error;
        plan({spec}, &error);
        EXPECT_TRUE(error.contains(reason)) << qPrintable(spec) << ": " << qPrintable(error);
    }
}

TEST(Faults, aModeGivenTwiceIsRefused)
{
    for (const char *mode : {"split", "delay:5", "drop:1", "badsize", "overcount"}) {
        QString error;
        plan({mode, mode}, &error);
        EXPECT_TRUE(error.contains("twice")) << mode << ": " << qPrintable(error);
    }
}

TEST(Faults, sizeDeltaWrapsTheSizeFieldAndLeavesTheRestAlone)
{
    QByteArray block = QByteArray::fromHex("0034"
                                           "0005") +
                       QByteArray(50, 'r');
    QByteArray changed = block;
    applySizeDelta(changed, 2);
    EXPECT_EQ(changed.left(2), QByteArray::fromHex("0036"));
    EXPECT_EQ(changed.mid(2), block.mid(2));

    QByteArray low = QByteArray::fromHex("0001");
    applySizeDelta(low, -2);
    EXPECT_EQ(low, QByteArray::fromHex("ffff"));
    QByteArray high = QByteArray::fromHex("fffe");
    applySizeDelta(high, 3);
    EXPECT_EQ(high, QByteArray::fromHex("0001"));

    QByteArray tooShort("\x07", 1);
    applySizeDelta(tooShort, 2);
    EXPECT_EQ(tooShort, QByteArray("\x07", 1));
}

} // namespace
