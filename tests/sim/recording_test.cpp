// SPDX-License-Identifier: MIT
#include "filebytes.h"

#include "sim/blockframer.h"
#include "sim/recording.h"
#include "sim/recordingfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Three blocks as a server sends them: first layout, then two later ones.
const QByteArray block1 = hex("000c"
                              "0001"
                              "3f000000"
                              "3f000000"
                              "0001");
const QByteArray block2 = hex("0004"
                              "0001"
                              "0000");
const QByteArray block3 = hex("000e"
                              "0002"
                              "0001"
                              "3e800000"
                              "3f400000"
                              "0007");

QByteArray threeBlockRecording()
{
    return Recording::header() + Recording::blockRecord(41000, block1) +
           Recording::blockRecord(81000, block2) + Recording::blockRecord(81000, block3);
}

TEST(Recording, headerAndRecordsAreLaidOutAsDocumented)
{
    EXPECT_EQ(Recording::header(), QByteArray("RADARREC") + hex("00000001"));
    EXPECT_EQ(Recording::blockRecord(0x0102030405LL, block2), hex("0000000102030405"
                                                                  "00000006") +
                                                                  block2);
}

TEST(Recording, aWholeRecordingParsesToItsBlocksAndTimes)
{
    const QByteArray file = threeBlockRecording();
    const RecordingParse p = Recording::parse(file.constData(), file.size());
    ASSERT_TRUE(p.error.isEmpty()) << qPrintable(p.error);
    ASSERT_EQ(p.blocks.size(), 3);
    EXPECT_EQ(p.blocks[0].timeUs, 41000);
    EXPECT_EQ(p.blocks[2].timeUs, 81000); // equal times are fine
    for (int i = 0; i < 3; ++i) {
        const QByteArray expected = QVector<QByteArray>{block1, block2, block3}[i];
        EXPECT_EQ(file.mid(p.blocks[i].offset, p.blocks[i].length), expected) << i;
    }
    EXPECT_EQ(p.blocks[0].offset, 12 + 12);

    const QByteArray empty = Recording::header();
    const RecordingParse none = Recording::parse(empty.constData(), empty.size());
    EXPECT_TRUE(none.error.isEmpty());
    EXPECT_TRUE(none.blocks.isEmpty());
}

TEST(Recording, aRecordingCutInsideARecordKeepsTheWholeRecordsBeforeIt)
{
    const QByteArray file = threeBlockRecording();
    const QVector<int> boundaries{12, 12 + 12 + 14, 12 + 12 + 14 + 12 + 6, int(file.size())};
    for (int cut = 0; cut <= file.size(); ++cut) {
        // A copy of exactly `cut` bytes, so that reading past it is caught.
        const QByteArray part(file.constData(), cut);
        const RecordingParse p = Recording::parse(part.constData(), part.size());
        if (cut < 12) {
            EXPECT_FALSE(p.error.isEmpty()) << cut;
            EXPECT_TRUE(p.blocks.isEmpty()) << cut;
            continue;
        }
        EXPECT_TRUE(p.error.isEmpty()) << cut << ": " << qPrintable(p.error);
        int whole = 0;
        while (whole + 1 < boundaries.size() && boundaries[whole + 1] <= cut)
            ++whole;
        EXPECT_EQ(p.blocks.size(), whole) << cut;
        if (boundaries.contains(cut)) {
            EXPECT_TRUE(p.cutOff.isEmpty()) << cut << ": " << qPrintable(p.cutOff);
        } else {
            EXPECT_TRUE(p.cutOff.startsWith(QString("block record %1 at byte %2 is cut off")
                                                .arg(whole + 1)
                                                .arg(boundaries[whole])))
                << cut << ": " << qPrintable(p.cutOff);
        }
    }
}

TEST(Recording, badRecordsAreRefusedNamingTheRecordAndItsOffset)
{
    auto errorOf = [](const QByteArray &bytes) {
        const RecordingParse p = Recording::parse(bytes.constData(), bytes.size());
        EXPECT_TRUE(p.blocks.isEmpty());
        return p.error;
    };
    const QByteArray head = Recording::header();
    const QByteArray first = Recording::blockRecord(5, block1);

    EXPECT_TRUE(errorOf("RADARRE").contains("not a radarsim recording"));
    EXPECT_TRUE(errorOf("GIF89a\x01\x02\x03\x04\x05\x06").contains("not a radarsim recording"));
    EXPECT_TRUE(errorOf(QByteArray("RADARREC") + hex("00000002"))
                    .contains("version 2; this radarsim reads version 1"));

    QByteArray wrongLength = Recording::blockRecord(9, block2);
    qToBigEndian(quint32(7), wrongLength.data() + 8);
    wrongLength.append('x');
    EXPECT_EQ(errorOf(head + first + wrongLength),
              "block record 2 at byte 38: block length 7 disagrees with the block's size field 4 "
              "(the length must be 2 more)");

    QByteArray tooLong = Recording::blockRecord(9, block2);
    qToBigEndian(quint32(65538), tooLong.data() + 8);
    EXPECT_TRUE(errorOf(head + tooLong)
                    .contains("block record 1 at byte 12: block length 65538 "
                              "is outside 2 to 65537"));
    QByteArray tooShort = Recording::blockRecord(9, block2);
    qToBigEndian(quint32(1), tooShort.data() + 8);
    EXPECT_TRUE(errorOf(head + tooShort).contains("block length 1 is outside"));

    EXPECT_EQ(errorOf(head + first + Recording::blockRecord(4, block2)),
              "block record 2 at byte 38: time 4 us is before the previous block's 5 us");

    QByteArray negative = Recording::blockRecord(0, block2);
    qToBigEndian(quint64(1) << 63, negative.data());
    EXPECT_TRUE(errorOf(head + negative).contains("out of range"));
}

TEST(RecordingFile, aReplayKeepsItsBlocksWhenTheFileIsCutShortUnderIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("session.rec"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(threeBlockRecording()), threeBlockRecording().size());
    file.close();
    RecordingFile recording;
    ASSERT_TRUE(recording.load(file.fileName())) << qPrintable(recording.error());
    EXPECT_TRUE(recording.cutOff().isEmpty());
    ASSERT_TRUE(file.resize(0)); // a mapped file would now bring SIGBUS
    ASSERT_EQ(recording.blocks().size(), 3);
    EXPECT_EQ(recording.block(2), block3);
}

// The system refuses to let the file grow past a size set here, as a full
// disk does: part of a record gets written, then the write fails.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the failed write says it
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }

private:
    rlimit saved = {};
    void (*oldHandler)(int) = nullptr;
};

TEST(RecordingWriter, aFailedWriteLeavesTheFileEndingAfterItsLastWholeRecord)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RecordingWriter writer;
    ASSERT_TRUE(writer.open(dir.filePath("full.rec")));
    ASSERT_TRUE(writer.append(41000, block1));
    const qint64 whole = QFileInfo(writer.path()).size();
    {
        // Room for half of the next record.
        const FileSizeLimit full(rlim_t(whole + (12 + block2.size()) / 2));
        EXPECT_FALSE(writer.append(81000, block2));
    }
    EXPECT_TRUE(writer.error().startsWith(writer.path() + ": cannot write it: File too large"))
        << qPrintable(writer.error());
    EXPECT_EQ(writer.blocksWritten(), 1);
    // Nothing more is written once a write failed, though there is room again.
    EXPECT_FALSE(writer.append(81000, block3));

    EXPECT_EQ(readFile(writer.path()), Recording::header() + Recording::blockRecord(41000, block1));
    RecordingFile replayed;
    ASSERT_TRUE(replayed.load(writer.path())) << qPrintable(replayed.error());
    EXPECT_TRUE(replayed.cutOff().isEmpty()) << qPrintable(replayed.cutOff());
    ASSERT_EQ(replayed.blocks().size(), 1);
    EXPECT_EQ(replayed.block(0), block1);
}

TEST(BlockFramer, cutsTheStreamBySizeFieldsHoweverItArrives)
{
    const QByteArray stream = block1 + block2 + block3;
    for (int step = 1; step <= stream.size(); ++step) {
        BlockFramer framer;
        QVector<QByteArray> blocks;
        for (int at = 0; at < stream.size(); at += step)
            blocks += framer.feed(stream.constData() + at, std::min<int>(step, stream.size() - at));
        EXPECT_EQ(blocks, (QVector<QByteArray>{block1, block2, block3})) << step;
        EXPECT_EQ(framer.pendingBytes(), 0) << step;
    }
}

TEST(BlockFramer, trustsTheSizeFieldAndHoldsAnUnfinishedBlock)
{
    BlockFramer framer;
    // Size 0 is a block of its own; size 3 takes the next three bytes, count
    // or not; the rest waits.
    const QByteArray bytes = hex("0000"
                                 "0003"
                                 "aabbcc"
                                 "0005"
                                 "0102");
    const QVector<QByteArray> blocks = framer.feed(bytes.constData(), bytes.size());
    EXPECT_EQ(blocks, (QVector<QByteArray>{hex("0000"), hex("0003aabbcc")}));
    EXPECT_EQ(framer.pendingBytes(), 4);
    const QByteArray rest = hex("030405"
                                "ff");
    EXPECT_EQ(framer.feed(rest.constData(), rest.size()),
              QVector<QByteArray>{hex("00050102030405")});
    EXPECT_EQ(framer.pendingBytes(), 1);
}

} // namespace
