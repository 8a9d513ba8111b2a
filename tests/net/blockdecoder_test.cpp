// The block decoder on an in-memory device: waiting, layouts, values and
// hostile counts, with every byte boundary checked.
#include "net/blockdecoder.h"
#include "net/logic.h"
#include "wireblocks.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Bytes arrive by appending to the buffer the decoder reads from.
class Feed
{
public:
    Feed()
    {
        device.setBuffer(&bytes);
        device.open(QIODevice::ReadOnly);
    }
    void append(const QByteArray &more) { bytes.append(more); }

    QByteArray bytes;
    QBuffer device;
};

const Target poison = {-7.0f, -7.0f, -7.0f};

bool samePoison(const Target &t)
{
    return std::memcmp(&t, &poison, sizeof t) == 0;
}

void expectRecords(const Target *table, const QVector<WireRecord> &records)
{
    for (int i = 0; i < records.size(); ++i) {
        ASSERT_EQ(table[i].x, records[i].x) << "record " << i;
        ASSERT_EQ(table[i].y, records[i].y) << "record " << i;
        ASSERT_EQ(table[i].value, float(records[i].value)) << "record " << i;
    }
}

// Feeds a block one byte at a time: nothing is decoded before its last byte.
void expectDecodedOnLastByte(BlockDecoder &decoder, Feed &feed, const QByteArray &block,
                             Target *table, int capacity, int *count)
{
    for (int i = 0; i < block.size(); ++i) {
        feed.append(block.mid(i, 1));
        const bool last = i == block.size() - 1;
        ASSERT_EQ(decoder.decodeBlock(table, capacity, count), last) << "after byte " << i;
    }
}

TEST(BlockDecoder, firstThenLaterLayoutDecodedOnLastByteEach)
{
    Feed feed;
    BlockDecoder decoder(&feed.device);
    Target table[4];
    int count = -1;

    const QVector<WireRecord> first = {{0.0f, 1.0f, 0}, {0.5f, 0.25f, 65535}};
    expectDecodedOnLastByte(decoder, feed, firstBlock(first), table, 4, &count);
    ASSERT_EQ(count, 2);
    expectRecords(table, first);
    EXPECT_EQ(table[1].value, 65535.0f);

    // The second block carries the ignored field; reading it as the first
    // layout would take 0xBEEF as the count.
    const QVector<WireRecord> later = {{-1.5f, 3.0e-8f, 12345}};
    expectDecodedOnLastByte(decoder, feed, laterBlock(later, 0xBEEF), table, 4, &count);
    ASSERT_EQ(count, 1);
    expectRecords(table, later);

    const QVector<WireRecord> third = distinctRecords(3);
    expectDecodedOnLastByte(decoder, feed, laterBlock(third, 0), table, 4, &count);
    ASSERT_EQ(count, 3);
    expectRecords(table, third);
}

TEST(BlockDecoder, twoBufferedBlocksNeedTwoCalls)
{
    Feed feed;
    BlockDecoder decoder(&feed.device);
    Target table[4];
    int count = -1;
    const QVector<WireRecord> a = distinctRecords(2);
    const QVector<WireRecord> b = {{9.0f, 8.0f, 7}};
    feed.append(firstBlock(a) + laterBlock(b));

    ASSERT_TRUE(decoder.decodeBlock(table, 4, &count));
    EXPECT_EQ(count, 2);
    expectRecords(table, a);
    ASSERT_TRUE(decoder.decodeBlock(table, 4, &count));
    EXPECT_EQ(count, 1);
    expectRecords(table, b);
    EXPECT_FALSE(decoder.decodeBlock(table, 4, &count));
    EXPECT_EQ(feed.device.bytesAvailable(), 0);
}

TEST(BlockDecoder, emptyBlocksReadNoRecordsAndKeepStep)
{
    Feed feed;
    BlockDecoder decoder(&feed.device);
    Target table[2] = {poison, poison};
    int count = -1;

    const QByteArray emptyFirst = firstBlock({});
    const QByteArray emptyLater = laterBlock({});
    EXPECT_EQ(emptyFirst.size(), 4);
    EXPECT_EQ(emptyLater.size(), 6);
    feed.append(emptyFirst + emptyLater + laterBlock({{1.0f, 2.0f, 3}}));

    ASSERT_TRUE(decoder.decodeBlock(table, 2, &count));
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(decoder.decodeBlock(table, 2, &count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(samePoison(table[0]));
    ASSERT_TRUE(decoder.decodeBlock(table, 2, &count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(table[0].x, 1.0f);
    EXPECT_EQ(table[0].value, 3.0f);
}

TEST(BlockDecoder, largestWellFormedBlockDecodesExactly)
{
    const int largest = 6553; // 2 + 10 * 6553 = 65532 fits the u16 size
    const QVector<WireRecord> records = distinctRecords(largest);
    const QByteArray block = firstBlock(records);
    ASSERT_EQ(quint8(block[0]) * 256 + quint8(block[1]), 65532);

    Feed feed;
    BlockDecoder decoder(&feed.device);
    std::vector<Target> table(Logic::MaxTargets);
    int count = -1;
    feed.append(block.left(block.size() - 1));
    EXPECT_FALSE(decoder.decodeBlock(table.data(), Logic::MaxTargets, &count));
    feed.append(block.right(1));
    ASSERT_TRUE(decoder.decodeBlock(table.data(), Logic::MaxTargets, &count));
    EXPECT_EQ(count, largest);
    expectRecords(table.data(), records);
    EXPECT_EQ(feed.device.bytesAvailable(), 0);
}

// Counts beyond the table come with a size field that cannot match; the
// surplus records are consumed, never stored, and the next block decodes.
class HostileCount : public ::testing::TestWithParam<int>
{
};

TEST_P(HostileCount, storesOnlyTheTableAndStaysInStep)
{
    const int received = GetParam();
    const int guard = 64;
    std::vector<Target> storage(guard + Logic::MaxTargets + guard, poison);
    Target *table = storage.data() + guard;

    Feed feed;
    BlockDecoder decoder(&feed.device);
    int count = -1;
    feed.append(firstBlock({{0.0f, 0.0f, 0}}));
    ASSERT_TRUE(decoder.decodeBlock(table, Logic::MaxTargets, &count));

    const QVector<WireRecord> records = distinctRecords(received);
    const QByteArray hostile = rawBlock(false, 0xFFFF, quint16(received), records);
    const QVector<WireRecord> next = {{0.125f, 0.875f, 4242}};
    feed.append(hostile.left(hostile.size() - 1));
    EXPECT_FALSE(decoder.decodeBlock(table, Logic::MaxTargets, &count))
        << "decoded before all records were buffered";
    feed.append(hostile.right(1) + laterBlock(next));

    ASSERT_TRUE(decoder.decodeBlock(table, Logic::MaxTargets, &count));
    EXPECT_EQ(count, Logic::MaxTargets);
    expectRecords(table, records.mid(0, Logic::MaxTargets));
    for (int i = 0; i < guard; ++i) {
        EXPECT_TRUE(samePoison(storage[i])) << "guard before the table, " << i;
        EXPECT_TRUE(samePoison(storage[guard + Logic::MaxTargets + i]))
            << "guard after the table, " << i;
    }

    ASSERT_TRUE(decoder.decodeBlock(table, Logic::MaxTargets, &count));
    EXPECT_EQ(count, 1);
    expectRecords(table, next);
}

INSTANTIATE_TEST_SUITE_P(BlockDecoder, HostileCount, ::testing::Values(10001, 65535));

TEST(BlockDecoder, hostileCountWithZeroSizeFieldStillWaitsForRecords)
{
    Feed feed;
    BlockDecoder decoder(&feed.device);
    Target table[2] = {poison, poison};
    int count = -1;
    const QVector<WireRecord> records = distinctRecords(5);
    const QByteArray hostile = rawBlock(true, 0, 5, records);

    feed.append(hostile.left(hostile.size() - 1));
    EXPECT_FALSE(decoder.decodeBlock(table, 2, &count));
    // The wait must resume at the body, not take the count for a size field.
    EXPECT_FALSE(decoder.decodeBlock(table, 2, &count));
    feed.append(hostile.right(1) + laterBlock({{5.0f, 6.0f, 7}}));
    ASSERT_TRUE(decoder.decodeBlock(table, 2, &count));
    EXPECT_EQ(count, 2);
    expectRecords(table, records.mid(0, 2));
    ASSERT_TRUE(decoder.decodeBlock(table, 2, &count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(table[0].value, 7.0f);
}

TEST(BlockDecoder, shortSizeFieldReadsMissingValuesAsZero)
{
    Feed feed;
    BlockDecoder decoder(&feed.device);
    Target table[2] = {poison, poison};
    int count = -1;
    // Size 2 lets the decode start after the count; the record is not there.
    feed.append(rawBlock(true, 2, 1, {}));
    ASSERT_TRUE(decoder.decodeBlock(table, 2, &count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(table[0].x, 0.0f);
    EXPECT_EQ(table[0].y, 0.0f);
    EXPECT_EQ(table[0].value, 0.0f);
    EXPECT_TRUE(samePoison(table[1]));
}

TEST(BlockDecoder, fieldCutByTheBufferedDataReadsAsZeroWhole)
{
    Feed feed;
    BlockDecoder decoder(&feed.device);
    Target table[1] = {poison};
    int count = -1;
    // x arrives whole, y only in part: y and value read as zero, x as sent.
    QByteArray block = rawBlock(true, 8, 1, {{0.25f, 0.75f, 9}});
    block.truncate(2 + 2 + 6);
    feed.append(block);
    ASSERT_TRUE(decoder.decodeBlock(table, 1, &count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(table[0].x, 0.25f);
    EXPECT_EQ(table[0].y, 0.0f);
    EXPECT_EQ(table[0].value, 0.0f);
}

} // namespace
