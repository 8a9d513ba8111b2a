// SPDX-License-Identifier: MIT
// The client's block receiver and decoder (what Logic::readData runs) on
// arbitrary byte streams that arrive in arbitrary chunks, checked against a
// plain reference decoder written here from the wire format's rules.
//
// Input: one control byte, then chunks, each a length byte L followed by up
// to L stream bytes. The control byte picks the table's capacity (the
// client's, or 1 to 64 to reach the surplus-record path with short inputs)
// and the device: sequential like a socket, or a QBuffer. After each chunk
// arrives the receiver is called once, as the socket's readyRead would.
//
// Checked after every arrival: whether a block was decoded, the count and
// every record of the newest complete block (bit for bit), the bytes held
// back for an incomplete block, and that the device was drained; records at
// and just after the count are never written, and a call that decodes
// nothing writes none. The table is a heap block of exactly its capacity,
// so AddressSanitizer sees any write beyond it.
#include "fuzzcheck.h"
#include "net/blockreceiver.h"
#include "net/radarstate.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace {

const int smallCapacities = 64;
const std::uint8_t clientCapacityBit = 0x80;
const std::uint8_t bufferDeviceBit = 0x40;
const Target poison = {-7.0f, -7.0f, -7.0f};

// The reference: the stream as a queue of bytes, read field by field from
// its front the way a data stream reads a socket. A field that is not wholly
// there reads as zero and takes what there is of it.
class ReferenceDecoder
{
public:
    explicit ReferenceDecoder(int capacity) : capacity(capacity) {}

    // After an arrival: true when at least one block was complete; then
    // `records` holds the newest one's stored records.
    bool arrive(const std::uint8_t *bytes, std::size_t size)
    {
        queue.insert(queue.end(), bytes, bytes + size);
        bool decoded = false;
        while (frontBlockComplete()) {
            readBlock();
            decoded = true;
        }
        return decoded;
    }

    std::vector<Target> records;
    std::deque<std::uint8_t> queue;

private:
    // Peeks a 16-bit field at a position, or -1 when it is not all there.
    long peek16(std::size_t at) const
    {
        if (queue.size() < at + 2)
            return -1;
        return long(queue[at]) * 256 + long(queue[at + 1]);
    }

    bool frontBlockComplete() const
    {
        const long size = peek16(0);
        if (size < 0 || long(queue.size()) - 2 < size)
            return false;
        // A count beyond the table waits for all of its records.
        const std::size_t countAt = first ? 2 : 4;
        const long count = peek16(countAt);
        return count <= capacity || long(queue.size()) >= long(countAt) + 2 + count * 10;
    }

    std::uint32_t take(int bytes)
    {
        if (queue.size() < std::size_t(bytes)) {
            queue.clear();
            return 0;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = value * 256 + queue.front();
            queue.pop_front();
        }
        return value;
    }

    float takeFloat()
    {
        const std::uint32_t bits = take(4);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    void readBlock()
    {
        take(2); // the size field only decides the wait
        if (!first)
            take(2);
        first = false;
        const int count = int(take(2));
        records.clear();
        for (int i = 0; i < count; ++i) {
            Target t;
            t.x = takeFloat();
            t.y = takeFloat();
            t.value = float(take(2));
            if (i < capacity)
                records.push_back(t);
        }
    }

    int capacity;
    bool first = true;
};

// Bytes appended at the end and read from the front, with no position of
// its own: what a socket's buffer looks like to the receiver.
class StreamDevice : public QIODevice
{
public:
    StreamDevice() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return qint64(pending.size()) - readOffset + QIODevice::bytesAvailable();
    }
    void append(const QByteArray &bytes) { pending.append(bytes); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = qMin(maxSize, qint64(pending.size()) - readOffset);
        if (n <= 0)
            return 0;
        std::memcpy(data, pending.constData() + readOffset, std::size_t(n));
        readOffset += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray pending;
    qint64 readOffset = 0;
};

class BufferDevice
{
public:
    BufferDevice()
    {
        buffer.setBuffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
    }
    void append(const QByteArray &more) { bytes.append(more); }
    QIODevice *device() { return &buffer; }

private:
    QByteArray bytes;
    QBuffer buffer;
};

bool same(const Target &a, const Target &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class Harness
{
public:
    Harness(int capacity, QIODevice *device)
        : capacity(capacity), device(device), reference(capacity)
    {
        table.reset(new Target[std::size_t(capacity)]);
        std::fill(table.get(), table.get() + capacity, poison);
    }

    // One arrival and one readyRead. Between calls the whole table is
    // poison; only the stretch a call may have touched is checked, so the
    // client's large table stays cheap.
    void arrive(const std::uint8_t *bytes, std::size_t size)
    {
        int count = -1;
        const bool decoded = receiver.receive(*device, table.get(), capacity, &count);
        const bool expected = reference.arrive(bytes, size);
        check(decoded == expected);
        check(device->bytesAvailable() == 0);
        check(receiver.pendingBytes() == reference.queue.size());
        if (!decoded) {
            check(count == -1);
            expectPoison(0, std::min(capacity, checkedTail));
            return;
        }
        check(count == int(reference.records.size()));
        for (int i = 0; i < count; ++i)
            check(same(table[i], reference.records[std::size_t(i)]));
        expectPoison(count, std::min(capacity, count + checkedTail));
        std::fill(table.get(), table.get() + count, poison);
    }

private:
    static constexpr int checkedTail = 64;

    void expectPoison(int from, int to) const
    {
        for (int i = from; i < to; ++i)
            check(same(table[i], poison));
    }

    int capacity;
    QIODevice *device;
    BlockReceiver receiver;
    ReferenceDecoder reference;
    std::unique_ptr<Target[]> table;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    const int capacity =
        (control & clientCapacityBit) ? RadarState::capacity : control % smallCapacities + 1;

    StreamDevice stream;
    BufferDevice buffer;
    const bool useBuffer = control & bufferDeviceBit;
    QIODevice *device = useBuffer ? buffer.device() : &stream;
    Harness harness(capacity, device);

    std::size_t at = 1;
    while (at < size) {
        const std::size_t wanted = data[at++];
        const std::size_t length = std::min(wanted, size - at);
        const QByteArray chunk(reinterpret_cast<const char *>(data + at), int(length));
        if (useBuffer)
            buffer.append(chunk);
        else
            stream.append(chunk);
        harness.arrive(data + at, length);
        at += length;
    }
    // Nothing more arrives: nothing more is decoded.
    harness.arrive(nullptr, 0);
    return 0;
}
