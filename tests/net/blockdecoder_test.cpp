// SPDX-License-Identifier: MIT
// The block decoder on bytes: waiting, layouts, values, hostile counts and
// bursts of blocks, with every byte boundary checked; and the receiver that
// feeds it from a device.
#include "net/blockdecoder.h"
#include "net/blockreceiver.h"
#include "net/logic.h"
#include "wireblocks.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

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

// The stream as a receiver holds it: bytes arrive at the end, and after each
// arrival everything not yet consumed goes to the decoder.
class Stream
{
public:
    Stream(Target *table, int capacity) : table(table), capacity(capacity) {}

    // Returns the number of blocks the arrival completed.
    int arrive(const QByteArray &bytes)
    {
        pending += bytes;
        const BlockDecoder::Result result =
            decoder.decode(reinterpret_cast<const unsigned char *>(pending.constData()),
                           std::size_t(pending.size()), table, capacity, &count);
        pending.remove(0, int(result.consumed));
        return result.blocks;
    }

    // Feeds a block one byte at a time: nothing is decoded before its last byte.
    void expectDecodedOnLastByte(const QByteArray &block)
    {
        for (int i = 0; i < block.size(); ++i) {
            const int last = i == block.size() - 1;
            ASSERT_EQ(arrive(block.mid(i, 1)), last) << "after byte " << i;
        }
    }

    BlockDecoder decoder;
    QByteArray pending;
    Target *table;
    int capacity;
    int count = -1;
};

TEST(BlockDecoder, firstThenLaterLayoutDecodedOnLastByteEach)
{
    Target table[4];
    Stream stream(table, 4);

    const QVector<WireRecord> first = {{0.0f, 1.0f, 0}, {0.5f, 0.25f, 65535}};
    stream.expectDecodedOnLastByte(firstBlock(first));
    ASSERT_EQ(stream.count, 2);
    expectRecords(table, first);
    EXPECT_EQ(table[1].value, 65535.0f);

    // The second block carries the ignored field; reading it as the first
    // layout would take 0xBEEF as the count.
    const QVector<WireRecord> later = {{-1.5f, 3.0e-8f, 12345}};
    stream.expectDecodedOnLastByte(laterBlock(later, 0xBEEF));
    ASSERT_EQ(stream.count, 1);
    expectRecords(table, later);

    const QVector<WireRecord> third = distinctRecords(3);
    stream.expectDecodedOnLastByte(laterBlock(third, 0));
    ASSERT_EQ(stream.count, 3);
    expectRecords(table, third);
    EXPECT_TRUE(stream.pending.isEmpty());
}

TEST(BlockDecoder, blocksArrivingTogetherShowTheNewestAndAPartialOneWaits)
{
    Target table[4];
    Stream stream(table, 4);
    const QVector<WireRecord> a = distinctRecords(2);
    const QVector<WireRecord> b = {{9.0f, 8.0f, 7}};
    const QVector<WireRecord> c = distinctRecords(3);
    const QVector<WireRecord> d = {{0.125f, 0.875f, 4242}};
    const QByteArray partial = laterBlock(d);

    // The skipped first block still sets the layout: b and c carry the
    // ignored field, which read as a count would derail the stream.
    ASSERT_EQ(stream.arrive(firstBlock(a) + laterBlock(b, 3) + laterBlock(c, 2) +
                            partial.left(partial.size() - 1)),
              3);
    EXPECT_EQ(stream.count, 3);
    expectRecords(table, c);
    EXPECT_FALSE(stream.decoder.expectsFirstLayout());
    EXPECT_EQ(stream.pending, partial.left(partial.size() - 1));

    ASSERT_EQ(stream.arrive(partial.right(1) + laterBlock(b)), 2);
    EXPECT_EQ(stream.count, 1);
    expectRecords(table, b);
    EXPECT_TRUE(stream.pending.isEmpty());
}

TEST(BlockDecoder, emptyBlocksReadNoRecordsAndKeepStep)
{
    Target table[2] = {poison, poison};
    Stream stream(table, 2);

    const QByteArray emptyFirst = firstBlock({});
    const QByteArray emptyLater = laterBlock({});
    EXPECT_EQ(emptyFirst.size(), 4);
    EXPECT_EQ(emptyLater.size(), 6);

    ASSERT_EQ(stream.arrive(emptyFirst), 1);
    EXPECT_EQ(stream.count, 0);
    ASSERT_EQ(stream.arrive(emptyLater), 1);
    EXPECT_EQ(stream.count, 0);
    EXPECT_TRUE(samePoison(table[0]));
    ASSERT_EQ(stream.arrive(laterBlock({{1.0f, 2.0f, 3}})), 1);
    EXPECT_EQ(stream.count, 1);
    EXPECT_EQ(table[0].x, 1.0f);
    EXPECT_EQ(table[0].value, 3.0f);
}

TEST(BlockDecoder, largestWellFormedBlockDecodesExactly)
{
    const int largest = wire::maxRecordsPerBlock;
    const QVector<WireRecord> records = distinctRecords(largest);
    const QByteArray block = firstBlock(records);
    ASSERT_EQ(quint8(block[0]) * 256 + quint8(block[1]), 65532); // fits the u16 size

    std::vector<Target> table(Logic::MaxTargets);
    Stream stream(table.data(), Logic::MaxTargets);
    EXPECT_EQ(stream.arrive(block.left(block.size() - 1)), 0);
    ASSERT_EQ(stream.arrive(block.right(1)), 1);
    EXPECT_EQ(stream.count, largest);
    expectRecords(table.data(), records);
    EXPECT_TRUE(stream.pending.isEmpty());
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
    Stream stream(table, Logic::MaxTargets);
    ASSERT_EQ(stream.arrive(firstBlock({{0.0f, 0.0f, 0}})), 1);

    const QVector<WireRecord> records = distinctRecords(received);
    const QByteArray hostile = rawBlock(false, 0xFFFF, quint16(received), records);
    EXPECT_EQ(stream.arrive(hostile.left(hostile.size() - 1)), 0)
        << "decoded before all records were buffered";
    ASSERT_EQ(stream.arrive(hostile.right(1)), 1);
    EXPECT_EQ(stream.count, Logic::MaxTargets);
    expectRecords(table, records.mid(0, Logic::MaxTargets));
    for (int i = 0; i < guard; ++i) {
        EXPECT_TRUE(samePoison(storage[i])) << "guard before the table, " << i;
        EXPECT_TRUE(samePoison(storage[guard + Logic::MaxTargets + i]))
            << "guard after the table, " << i;
    }

    const QVector<WireRecord> next = {{0.125f, 0.875f, 4242}};
    ASSERT_EQ(stream.arrive(laterBlock(next)), 1);
    EXPECT_EQ(stream.count, 1);
    expectRecords(table, next);
}

INSTANTIATE_TEST_SUITE_P(BlockDecoder, HostileCount, ::testing::Values(10001, 65535));

TEST(BlockDecoder, hostileCountWithZeroSizeFieldStillWaitsForRecords)
{
    Target table[2] = {poison, poison};
    Stream stream(table, 2);
    const QVector<WireRecord> records = distinctRecords(5);
    const QByteArray hostile = rawBlock(true, 0, 5, records);

    EXPECT_EQ(stream.arrive(hostile.left(hostile.size() - 1)), 0);
    // The wait must resume at the body, not take the count for a size field.
    EXPECT_EQ(stream.arrive({}), 0);
    ASSERT_EQ(stream.arrive(hostile.right(1)), 1);
    EXPECT_EQ(stream.count, 2);
    expectRecords(table, records.mid(0, 2));
    ASSERT_EQ(stream.arrive(laterBlock({{5.0f, 6.0f, 7}})), 1);
    EXPECT_EQ(stream.count, 1);
    EXPECT_EQ(table[0].value, 7.0f);
}

TEST(BlockDecoder, shortSizeFieldReadsMissingValuesAsZero)
{
    Target table[2] = {poison, poison};
    Stream stream(table, 2);
    // Size 2 lets the decode start after the count; the record is not there.
    ASSERT_EQ(stream.arrive(rawBlock(true, 2, 1, {})), 1);
    EXPECT_EQ(stream.count, 1);
    EXPECT_EQ(table[0].x, 0.0f);
    EXPECT_EQ(table[0].y, 0.0f);
    EXPECT_EQ(table[0].value, 0.0f);
    EXPECT_TRUE(samePoison(table[1]));
}

TEST(BlockDecoder, fieldCutByTheBufferedDataReadsAsZeroWhole)
{
    Target table[1] = {poison};
    Stream stream(table, 1);
    // x arrives whole, y only in part: y and value read as zero, x as sent.
    QByteArray block = rawBlock(true, 8, 1, {{0.25f, 0.75f, 9}});
    block.truncate(2 + 2 + 6);
    ASSERT_EQ(stream.arrive(block), 1);
    EXPECT_EQ(stream.count, 1);
    EXPECT_EQ(table[0].x, 0.25f);
    EXPECT_EQ(table[0].y, 0.0f);
    EXPECT_EQ(table[0].value, 0.0f);
    // The short block took every byte there was.
    EXPECT_TRUE(stream.pending.isEmpty());
}

// A device holding more than the receiver's buffer: it is taken in pieces
// that fit, and only the newest block ends up in the table.
class RecordingBuffer : public QBuffer
{
public:
    qint64 largestRead = 0;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        largestRead = qMax(largestRead, maxSize);
        return QBuffer::readData(data, maxSize);
    }
};

TEST(BlockReceiver, takesMoreThanItsBufferInPiecesAndShowsTheNewestBlock)
{
    const QVector<WireRecord> flood = distinctRecords(wire::maxRecordsPerBlock);
    const QVector<WireRecord> newest = {{0.5f, 0.25f, 99}};
    QByteArray bytes = firstBlock(flood);
    while (bytes.size() < 3 * qint64(BlockReceiver::bufferBytes))
        bytes += laterBlock(flood);
    bytes += laterBlock(newest);
    const QByteArray partial = laterBlock(flood).left(1000);
    bytes += partial;

    RecordingBuffer device;
    device.setData(bytes);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    std::vector<Target> table(Logic::MaxTargets, poison);
    int count = -1;
    BlockReceiver receiver;
    ASSERT_TRUE(receiver.receive(device, table.data(), Logic::MaxTargets, &count));

    EXPECT_EQ(device.bytesAvailable(), 0);
    EXPECT_LE(device.largestRead, qint64(BlockReceiver::bufferBytes));
    EXPECT_EQ(receiver.pendingBytes(), std::size_t(partial.size()));
    ASSERT_EQ(count, 1);
    expectRecords(table.data(), newest);
    // Nothing more arrived: nothing more to decode.
    EXPECT_FALSE(receiver.receive(device, table.data(), Logic::MaxTargets, &count));
}

} // namespace
