// The client's block decoder (the code Logic::readData runs) on arbitrary
// byte streams that arrive in arbitrary chunks.
//
// Input: one control byte, then chunks, each a length byte L followed by up
// to L stream bytes. The control byte picks the table's capacity (the
// client's 10000, or 1 to 64 to reach the surplus-record path with short
// inputs) and the device: sequential like a socket, or a QBuffer. After each
// chunk arrives the decoder is called once, as the socket's readyRead would.
//
// Checked: a decoded count lies in 0..capacity; a decode writes no record
// at or just after its count, and a call that decodes nothing writes none; the
// table is a heap block of exactly its capacity, so AddressSanitizer sees
// any write beyond it; once the whole stream is in, repeated calls come to
// an end.
#include "net/blockdecoder.h"
#include "net/logic.h"

#include <QBuffer>
#include <QByteArray>
#include <QIODevice>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const int smallCapacities = 64;
const std::uint8_t clientCapacityBit = 0x80;
const std::uint8_t bufferDeviceBit = 0x40;
const Target poison = {-7.0f, -7.0f, -7.0f};

// Bytes appended at the end and read from the front, with no position of
// its own: what a socket's buffer looks like to the decoder.
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

bool isPoison(const Target &t)
{
    return std::memcmp(&t, &poison, sizeof t) == 0;
}

class Harness
{
public:
    Harness(int capacity, QIODevice *device) : capacity(capacity), decoder(device)
    {
        table.reset(new Target[std::size_t(capacity)]);
        std::fill(table.get(), table.get() + capacity, poison);
    }

    // One readyRead: at most one block. Between calls the whole table is
    // poison; only the stretch a call may have touched is checked, so the
    // client's large table stays cheap.
    bool step()
    {
        int count = -1;
        const bool decoded = decoder.decodeBlock(table.get(), capacity, &count);
        if (!decoded) {
            expectPoison(0, qMin(capacity, checkedTail));
            return false; // wrote records without decoding a block
        }
        if (count < 0 || count > capacity)
            std::abort();
        expectPoison(count, qMin(capacity, count + checkedTail));
        std::fill(table.get(), table.get() + count, poison);
        return true;
    }

private:
    static constexpr int checkedTail = 64;

    void expectPoison(int from, int to) const
    {
        for (int i = from; i < to; ++i)
            if (!isPoison(table[i]))
                std::abort();
    }

    int capacity;
    BlockDecoder decoder;
    std::unique_ptr<Target[]> table;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    const int capacity =
        (control & clientCapacityBit) ? Logic::MaxTargets : control % smallCapacities + 1;

    StreamDevice stream;
    BufferDevice buffer;
    const bool useBuffer = control & bufferDeviceBit;
    QIODevice *device = useBuffer ? buffer.device() : &stream;
    Harness harness(capacity, device);

    std::size_t at = 1;
    while (at < size) {
        const std::size_t wanted = data[at++];
        const std::size_t length = qMin(wanted, size - at);
        const QByteArray chunk(reinterpret_cast<const char *>(data + at), int(length));
        at += length;
        if (useBuffer)
            buffer.append(chunk);
        else
            stream.append(chunk);
        harness.step();
    }

    // Every decoded block consumes its size field, so the buffered bytes
    // bound the number of blocks still to come; the final call may decode
    // an empty block from a size field read earlier.
    const std::size_t bound = std::size_t(device->bytesAvailable()) / 2 + 2;
    std::size_t decoded = 0;
    while (harness.step())
        if (++decoded > bound)
            std::abort();
    return 0;
}
