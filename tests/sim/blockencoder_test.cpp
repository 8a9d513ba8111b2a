// SPDX-License-Identifier: MIT
#include "sim/blockencoder.h"

#include <QDataStream>
#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Reads a block the way the client does: QDataStream version 7, big-endian.
struct Decoded
{
    quint16 size = 0;
    quint16 number = 0;
    quint16 count = 0;
    QVector<SimTarget> targets;
};

Decoded decode(const QByteArray &block, bool first)
{
    QDataStream in(block);
    in.setVersion(7);
    Decoded d;
    in >> d.size;
    if (!first)
        in >> d.number;
    in >> d.count;
    for (int i = 0; i < d.count; ++i) {
        SimTarget t;
        in >> t.x >> t.y >> t.value;
        d.targets.push_back(t);
    }
    EXPECT_EQ(in.status(), QDataStream::Ok);
    EXPECT_TRUE(in.atEnd());
    return d;
}

TEST(BlockEncoder, firstBlockHasNoNumberFieldAndBigEndianRecords)
{
    BlockEncoder encoder;
    const QByteArray block = encoder.nextBlock({{1.0f, 0.5f, 0x1234}, {-2.0f, 0.25f, 0xfffe}});
    EXPECT_EQ(block, hex("0016" // size 2 + 2 * 10
                         "0002" // count
                         "3f800000"
                         "3f000000"
                         "1234"
                         "c0000000"
                         "3e800000"
                         "fffe"));
}

TEST(BlockEncoder, laterBlocksCarryARunningNumber)
{
    BlockEncoder encoder;
    encoder.nextBlock({});
    EXPECT_EQ(encoder.nextBlock({{0.0f, 1.0f, 7}}), hex("000e"
                                                        "0001"
                                                        "0001"
                                                        "00000000"
                                                        "3f800000"
                                                        "0007"));
    EXPECT_EQ(encoder.nextBlock({}), hex("0004"
                                         "0002"
                                         "0000"));
    EXPECT_EQ(encoder.blocksEncoded(), 3u);
}

TEST(BlockEncoder, emptyBlocksAreFourAndSixBytes)
{
    BlockEncoder encoder;
    EXPECT_EQ(encoder.nextBlock({}), hex("0002"
                                         "0000"));
    EXPECT_EQ(encoder.nextBlock({}), hex("0004"
                                         "0001"
                                         "0000"));
}

TEST(BlockEncoder, clientStreamReadsBackWhatWasEncoded)
{
    QVector<SimTarget> targets;
    for (int i = 0; i < 50; ++i)
        targets.push_back({i / 49.0f, 1.0f - i / 98.0f, quint16(i * 1311)});
    BlockEncoder encoder;
    for (int b = 0; b < 3; ++b) {
        const QByteArray block = encoder.nextBlock(targets);
        const Decoded d = decode(block, b == 0);
        EXPECT_EQ(d.size, block.size() - 2);
        EXPECT_EQ(d.number, b);
        ASSERT_EQ(d.count, targets.size());
        for (int i = 0; i < targets.size(); ++i) {
            EXPECT_EQ(d.targets[i].x, targets[i].x);
            EXPECT_EQ(d.targets[i].y, targets[i].y);
            EXPECT_EQ(d.targets[i].value, targets[i].value);
        }
    }
}

TEST(BlockEncoder, largestBlocksStillFitTheSizeField)
{
    const QVector<SimTarget> most(BlockEncoder::maxRecordsPerBlock, SimTarget{0.5f, 0.5f, 1});
    BlockEncoder encoder;
    const Decoded first = decode(encoder.nextBlock(most), true);
    EXPECT_EQ(first.size, 2 + 10 * 6553);
    EXPECT_EQ(first.count, 6553);
    const Decoded later = decode(encoder.nextBlock(most), false);
    EXPECT_EQ(later.size, 65534);
    EXPECT_EQ(later.count, 6553);
}

TEST(BlockEncoder, targetsBeyondTheLimitAreLeftOut)
{
    const QVector<SimTarget> tooMany(BlockEncoder::maxRecordsPerBlock + 100, SimTarget{});
    BlockEncoder encoder;
    encoder.nextBlock({});
    const QByteArray block = encoder.nextBlock(tooMany);
    EXPECT_EQ(block.size(), 2 + 65534);
    EXPECT_EQ(decode(block, false).count, BlockEncoder::maxRecordsPerBlock);
}

TEST(BlockEncoder, blockNumberWrapsAfter65535)
{
    BlockEncoder encoder;
    for (int i = 0; i < 65536; ++i)
        encoder.nextBlock({});
    EXPECT_EQ(encoder.nextBlock({}), hex("0004"
                                         "0000"
                                         "0000"));
    EXPECT_EQ(encoder.nextBlock({}), hex("0004"
                                         "0001"
                                         "0000"));
}

TEST(BlockEncoder, anOvercountCarriesEveryRecordItClaimsAndWrapsTheSizeField)
{
    BlockEncoder encoder(10001);
    const QVector<SimTarget> frame{{0.25f, 0.5f, 1}, {0.75f, 0.125f, 2}, {1.0f, 0.0f, 3}};
    const Decoded first = decode(encoder.nextBlock(frame), true);
    EXPECT_EQ(first.count, 10001);
    EXPECT_EQ(first.size, quint16(2 + 10 * 10001)); // 100012 keeps its low 16 bits: 34476
    EXPECT_EQ(first.size, 34476);
    ASSERT_EQ(first.targets.size(), 10001);
    // The frame repeats: record 10000 (0-based 9999) is the frame's first.
    EXPECT_EQ(first.targets[9999].value, 1);
    EXPECT_EQ(first.targets[10000].x, 0.75f);
    const Decoded later = decode(encoder.nextBlock(frame), false);
    EXPECT_EQ(later.size, quint16(4 + 10 * 10001));
    EXPECT_EQ(later.number, 1);
    EXPECT_EQ(later.count, 10001);
}

TEST(BlockEncoder, anOvercountOfAnEmptyFrameFillsWithCentredRecords)
{
    BlockEncoder encoder(0xffff);
    const QByteArray block = encoder.nextBlock({});
    ASSERT_EQ(block.size(), 4 + 10 * 0xffff);
    const Decoded d = decode(block, true);
    EXPECT_EQ(d.count, 0xffff);
    EXPECT_EQ(d.targets.last().x, 0.5f);
    EXPECT_EQ(d.targets.last().y, 0.5f);
    EXPECT_EQ(d.targets.last().value, 0);
}

} // namespace
