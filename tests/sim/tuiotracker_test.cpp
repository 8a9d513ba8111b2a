// SPDX-License-Identifier: MIT
// The TUIO protocol rules the loopback test does not reach, fed as decoded
// messages: restarts, redundant frames, frames across datagrams and
// bundles, the class id as value, malformed messages.
#include "sim/tuiotracker.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {

const TuioTracker::Sender sender{"192.0.2.1", 3333};

OscArgument i32(qint32 v)
{
    OscArgument a;
    a.type = 'i';
    a.i = v;
    return a;
}

OscArgument f32(float v)
{
    OscArgument a;
    a.type = 'f';
    a.f = v;
    return a;
}

OscArgument str(const char *v)
{
    OscArgument a;
    a.type = 's';
    a.s = v;
    return a;
}

OscMessage msg(const char *path, std::initializer_list<OscArgument> args)
{
    return {path, QVector<OscArgument>(args)};
}

struct Tracker
{
    explicit Tracker(TuioTracker::Settings settings = {})
        : tracker(settings, [this](const QString &line) { log << line; })
    {
    }

    void cursors(std::initializer_list<qint32> alive, qint32 fseq, qint64 nowMs = 0)
    {
        tracker.bundle(sender, nowMs);
        QVector<OscArgument> args{str("alive")};
        for (qint32 id : alive)
            args << i32(id);
        tracker.message(sender, {"/tuio/2Dcur", args}, nowMs);
        for (qint32 id : alive)
            tracker.message(sender, msg("/tuio/2Dcur", {str("set"), i32(id), f32(0.5f), f32(0.5f)}),
                            nowMs);
        tracker.message(sender, msg("/tuio/2Dcur", {str("fseq"), i32(fseq)}), nowMs);
    }

    int count(qint64 nowMs = 0) { return tracker.targets(nowMs).size(); }

    QStringList log;
    TuioTracker tracker;
};

TEST(TuioTracker, aTrackerThatStartsOverIsFollowed)
{
    Tracker t;
    t.cursors({1}, 5000);
    t.cursors({}, 3); // far behind: restarted
    EXPECT_EQ(t.count(), 0);
    t.cursors({1, 2}, 10, 100);
    t.cursors({}, 9, 200); // a little behind, soon after: late
    EXPECT_EQ(t.count(200), 2);
    t.cursors({}, 9, 900); // a little behind after a pause: restarted
    EXPECT_EQ(t.count(900), 0);
    EXPECT_EQ(t.tracker.counts().restarts, 2);
    EXPECT_EQ(t.tracker.counts().late, 1);
    EXPECT_EQ(t.log.filter("restarted").size(), 1) << "once per interval";

    // Redundant frames (-1) apply but do not count as the newest.
    t.cursors({3}, TuioTracker::redundantFrame, 1000);
    t.cursors({3, 4}, TuioTracker::redundantFrame, 1000);
    EXPECT_EQ(t.count(1000), 2);
    t.cursors({}, 10, 1000);
    EXPECT_EQ(t.count(1000), 0);
}

TEST(TuioTracker, framesEndWithFseqAcrossDatagramsButNotAcrossBundles)
{
    Tracker t;
    // Unbundled messages make one frame at fseq, also when each comes from
    // a port of its own, as oscsend sends them; the name keeps the source.
    auto from = [](quint16 port) { return TuioTracker::Sender{sender.host, port}; };
    t.tracker.message(from(1), msg("/tuio/2Dcur", {str("source"), str("demo")}), 0);
    t.tracker.message(from(2), msg("/tuio/2Dcur", {str("alive"), i32(1)}), 0);
    t.tracker.message(from(3), msg("/tuio/2Dcur", {str("set"), i32(1), f32(0.25f), f32(2.0f)}), 0);
    EXPECT_EQ(t.count(), 0);
    t.tracker.message(from(4), msg("/tuio/2Dcur", {str("fseq"), i32(1)}), 0);
    const QVector<SimTarget> placed = t.tracker.targets(0);
    ASSERT_EQ(placed.size(), 1);
    EXPECT_EQ(placed[0].x, 0.25f);
    EXPECT_EQ(placed[0].y, 1.0f) << "clamped to the square";
    t.tracker.message(from(5), msg("/tuio/2Dcur", {str("alive")}), 0);
    t.tracker.message(from(6), msg("/tuio/2Dcur", {str("fseq"), i32(2)}), 0);
    EXPECT_EQ(t.count(), 0);
    EXPECT_EQ(t.tracker.sourceCount(), 1);

    // A bundle without fseq is dropped when the next one begins.
    t.cursors({1}, 1);
    t.tracker.bundle(sender, 0);
    t.tracker.message(sender, msg("/tuio/2Dcur", {str("alive")}), 0);
    t.tracker.bundle(sender, 0);
    t.tracker.message(sender, msg("/tuio/2Dcur", {str("fseq"), i32(2)}), 0);
    EXPECT_EQ(t.count(), 1) << "a frame without alive keeps its sessions";

    // A set for a session that is not alive places nothing.
    t.tracker.bundle(sender, 0);
    t.tracker.message(sender, msg("/tuio/2Dcur", {str("set"), i32(9), f32(0.5f), f32(0.5f)}), 0);
    t.tracker.message(sender, msg("/tuio/2Dcur", {str("fseq"), i32(3)}), 0);
    EXPECT_EQ(t.count(), 1);
}

TEST(TuioTracker, objectsCarryTheirClassIdByChoice)
{
    TuioTracker::Settings settings;
    settings.value = TuioTracker::Value::ClassId;
    Tracker t(settings);
    t.tracker.message(sender, msg("/tuio/2Dobj", {str("alive"), i32(5)}), 0);
    t.tracker.message(sender,
                      msg("/tuio/2Dobj", {str("set"), i32(5), i32(-2), f32(0.1f), f32(0.2f)}), 0);
    t.tracker.message(sender, msg("/tuio/2Dobj", {str("fseq"), i32(1)}), 0);
    t.cursors({6}, 1);
    const QVector<SimTarget> targets = t.tracker.targets(0);
    ASSERT_EQ(targets.size(), 2);
    EXPECT_EQ(targets[0].value, 6) << "a cursor has no class";
    EXPECT_EQ(targets[1].value, 0xfffe) << "class -2, modulo 65536";
}

TEST(TuioTracker, malformedMessagesAreCountedIgnoredAndReportedOncePerInterval)
{
    Tracker t;
    t.cursors({1}, 1);
    const QList<OscMessage> bad{
        msg("/tuio/2Dcur", {}),
        msg("/tuio/2Dcur", {i32(1)}),
        msg("/tuio/2Dcur", {str("source")}),
        msg("/tuio/2Dcur", {str("alive"), f32(1.0f)}),
        msg("/tuio/2Dcur", {str("set"), i32(1), f32(0.5f)}),
        msg("/tuio/2Dcur", {str("set"), i32(1), f32(NAN), f32(0.5f)}),
        msg("/tuio/2Dobj", {str("set"), i32(1), f32(0.5f), f32(0.5f)}),
        msg("/tuio/2Dcur", {str("fseq"), str("2")}),
        msg("/tuio/2Dcur", {str("jump")}),
    };
    for (const OscMessage &m : bad)
        t.tracker.message(sender, m, 10);
    t.tracker.message(sender, msg("/tuio/3Dcur", {str("jump")}), 10); // another profile: not ours
    t.tracker.message(sender, msg("/tuio/2Dcur", {str("fseq"), i32(2)}), 10);
    EXPECT_EQ(t.tracker.counts().malformed, bad.size());
    EXPECT_EQ(t.log.filter("malformed").size(), 1);
    EXPECT_EQ(t.count(10), 1) << "the frame around them still counts";

    t.tracker.message(sender, bad.first(), 10 + Throttle::warningIntervalMs);
    EXPECT_EQ(t.log.filter("malformed").size(), 2);
}

} // namespace
