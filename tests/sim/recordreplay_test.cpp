// SPDX-License-Identifier: MIT
// The real radarsim binary recording a real server, replaying the recording,
// and serving scenario files, as an operator runs it.
#include "filebytes.h"
#include "loopbackclient.h"
#include "radarsimprocess.h"

#include "sim/recording.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr int walkers = 4;
constexpr int firstBytes = 2 + 2 + 10 * walkers, laterBytes = 2 + 4 + 10 * walkers;
constexpr int requestGapMs = 60;

void pause(LoopbackClient &c, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        c.socket.waitForReadyRead(ms - int(t.elapsed()));
}

TEST(RecordReplay, aReplayGivesTheClientTheRecordedBytesAndALoopGoesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("walk.rec");

    RadarSimProcess server, recorder;
    ASSERT_TRUE(server.start({"--pattern", "walk", "--targets", QString::number(walkers)}));
    ASSERT_TRUE(
        recorder.start({"--record", file, "--upstream", QString("127.0.0.1:%1").arg(server.port)}));
    QByteArray seen;
    {
        LoopbackClient c;
        ASSERT_TRUE(c.connectTo(recorder.port));
        for (int i = 0; i < 4; ++i) {
            pause(c, requestGapMs);
            c.send("\x02");
            const QByteArray block = c.read(i == 0 ? firstBytes : laterBytes);
            ASSERT_EQ(block.size(), i == 0 ? firstBytes : laterBytes) << i;
            seen += block;
        }
    }
    ASSERT_TRUE(recorder.stop());
    EXPECT_EQ(recorder.process.exitCode(), 0);
    const QString log = QString::fromUtf8(recorder.process.readAllStandardError());
    EXPECT_TRUE(log.contains("recorded 4 block(s) into " + file)) << qPrintable(log);

    const QByteArray bytes = readFile(file);
    const RecordingParse p = Recording::parse(bytes.constData(), bytes.size());
    ASSERT_TRUE(p.error.isEmpty()) << qPrintable(p.error);
    ASSERT_EQ(p.blocks.size(), 4);
    // The client waited for each block before the next request, so the
    // recorded times are at least the gaps apart in all.
    EXPECT_GE(p.blocks[3].timeUs - p.blocks[0].timeUs, 3 * requestGapMs * 1000);

    RadarSimProcess replay;
    ASSERT_TRUE(replay.start({"--replay", file}));
    {
        LoopbackClient c;
        QElapsedTimer sinceConnect;
        sinceConnect.start();
        ASSERT_TRUE(c.connectTo(replay.port));
        c.send(QByteArray(5, '\x02'));
        EXPECT_EQ(c.read(seen.size()), seen);
        EXPECT_GE(sinceConnect.elapsed(), p.blocks[3].timeUs / 1000);
        EXPECT_TRUE(c.closedByServer()); // the fifth request finds no block
    }

    RadarSimProcess looping;
    ASSERT_TRUE(looping.start({"--replay", file, "--loop"}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(looping.port));
    c.send(QByteArray(6, '\x02'));
    const QByteArray block1 = seen.mid(firstBytes, laterBytes);
    const QByteArray block2 = seen.mid(firstBytes + laterBytes, laterBytes);
    EXPECT_EQ(c.read(seen.size() + 2 * laterBytes), seen + block1 + block2);
    EXPECT_EQ(c.socket.state(), QAbstractSocket::ConnectedState);
}

TEST(RecordReplay, aScenarioFileServesItsTargets)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("still.txt");
    ASSERT_TRUE(writeFile(file, "# one visitor standing still\n"
                                "0  0.25 0.75  0.25 0.75  for 1000  42\n"));
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--scenario", file}));
    LoopbackClient c;
    ASSERT_TRUE(c.connectTo(sim.port));
    c.send("\x02");
    const QByteArray block = c.read(14);
    ASSERT_EQ(block.size(), 14);
    EXPECT_EQ(block.left(4), QByteArray::fromHex("000c0001"));
    EXPECT_EQ(f32At(block, 4), 0.25f);
    EXPECT_EQ(f32At(block, 8), 0.75f);
    EXPECT_EQ(u16At(block, 12), 42);
}

TEST(RecordReplay, badFilesEndWithStatusTwoAndSayWhatIsWrong)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString scenario = dir.filePath("bad.txt");
    ASSERT_TRUE(writeFile(scenario, "loop\n\n0 0 0 1 1 sped 1 1\n"));
    const QString oneBlock = dir.filePath("one.rec");
    ASSERT_TRUE(writeFile(oneBlock, Recording::header() + Recording::blockRecord(
                                                              0, QByteArray::fromHex("00020000"))));
    const QString empty = dir.filePath("empty.rec");
    ASSERT_TRUE(writeFile(empty, Recording::header()));
    const QString cut = dir.filePath("cut.rec");
    ASSERT_TRUE(writeFile(cut, Recording::header() + QByteArray::fromHex("0000")));

    // A FIFO without a writer would block start-up, a device be read for ever.
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const QList<std::pair<QStringList, QString>> cases{
        {{"--scenario", fifo}, fifo + ": cannot read it: it is a FIFO, not a regular file"},
        {{"--replay", "/dev/zero"}, "/dev/zero: cannot read it: it is a character device"},
        {{"--scenario", scenario}, scenario + ":3: expected \"speed\" or \"for\""},
        {{"--scenario", dir.filePath("missing.txt")}, "missing.txt: cannot read it"},
        {{"--replay", scenario}, scenario + ": not a radarsim recording"},
        {{"--replay", cut}, cut + ": block record 1 at byte 12 is cut off"},
        {{"--replay", empty}, empty + ": holds 0 block(s); a replay needs at least 1"},
        {{"--replay", oneBlock, "--loop"}, "a looping replay needs at least 2"},
        {{"--scenario", scenario, "--replay", oneBlock}, "cannot be combined"},
    };
    for (const auto &[args, message] : cases) {
        const RadarSimRun run = runRadarSim(args + QStringList{"--port", "0"});
        ASSERT_TRUE(run.finished) << qPrintable(args.join(' '));
        EXPECT_EQ(run.exitCode, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.err.startsWith("radarsim: ")) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(message)) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty()) << "listened anyway: " << qPrintable(run.out);
    }
}

TEST(RecordReplay, aRecordingThatCannotBeWrittenEndsWithStatusOne)
{
    const RadarSimRun run = runRadarSim(
        {"--record", "/nonexistent-dir/x.rec", "--upstream", "127.0.0.1:9", "--port", "0"});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("/nonexistent-dir/x.rec: cannot write it")) << qPrintable(run.err);
}

TEST(RecordReplay, aRecorderThatCannotServeLeavesAnEarlierRecordingAsItWas)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("session.rec");
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier recording");
    earlier.close();

    RadarSimProcess busy;
    ASSERT_TRUE(busy.start({}));
    const QString port = QString::number(busy.port);
    const RadarSimRun run = runRadarSim(
        {"--record", file, "--upstream", "127.0.0.1:9", "--address", "127.0.0.1", "--port", port});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "an earlier recording");
}

} // namespace
