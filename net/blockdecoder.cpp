#include "net/blockdecoder.h"

#include "net/logic.h"

#include <QIODevice>
#include <QtEndian>

#include <cstring>

namespace {
// Format 4.0 reads floats as 4 bytes whatever later formats default to.
const int streamVersion = 7;

// Records are converted from bulk reads of this many: one stream read per
// field costs thirty times the conversion itself.
const int chunkRecords = 256;

const int xOffset = 0;
const int yOffset = 4;
const int valueOffset = 8;

// A field that the read did not cover whole comes back as zero, as a short
// stream read gives it.
float floatField(const uchar *record, int offset, qint64 covered)
{
    if (offset + 4 > covered)
        return 0.0f;
    const quint32 bits = qFromBigEndian<quint32>(record + offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float valueField(const uchar *record, qint64 covered)
{
    if (valueOffset + 2 > covered)
        return 0.0f;
    return float(qFromBigEndian<quint16>(record + valueOffset));
}
} // namespace

BlockDecoder::BlockDecoder(QIODevice *device) : device(device), stream(device)
{
    stream.setVersion(streamVersion);
}

bool BlockDecoder::decodeBlock(Target *table, int capacity, int *count)
{
    if (!sizeRead) {
        if (device->bytesAvailable() < sizeFieldBytes)
            return false;
        stream >> blockSize;
        sizeRead = true;
    }
    if (device->bytesAvailable() < blockSize || hostileBlockIncomplete(capacity))
        return false;

    if (!firstBlock) {
        quint16 ignored = 0;
        stream >> ignored;
    }
    firstBlock = false;
    sizeRead = false;
    blockSize = 0;

    quint16 received = 0;
    stream >> received;
    const int stored = qMin(int(received), capacity);
    uchar chunk[chunkRecords * recordBytes];
    for (int first = 0; first < stored; first += chunkRecords) {
        const int records = qMin(chunkRecords, stored - first);
        const qint64 got = qMax<qint64>(0, device->read(reinterpret_cast<char *>(chunk),
                                                         qint64(records) * recordBytes));
        for (int i = 0; i < records; ++i) {
            const uchar *record = chunk + i * recordBytes;
            const qint64 covered = got - qint64(i) * recordBytes;
            Target &target = table[first + i];
            target.x = floatField(record, xOffset, covered);
            target.y = floatField(record, yOffset, covered);
            target.value = valueField(record, covered);
        }
    }
    // Consuming the surplus keeps the next block's size field in place.
    stream.skipRawData((int(received) - stored) * recordBytes);
    *count = stored;
    return true;
}

bool BlockDecoder::hostileBlockIncomplete(int capacity) const
{
    const int headerBytes = firstBlock ? countFieldBytes : ignoredFieldBytes + countFieldBytes;
    char header[ignoredFieldBytes + countFieldBytes];
    // A count not yet buffered reads as 0, which is never hostile.
    if (device->peek(header, headerBytes) < headerBytes)
        return false;
    const int received = (uchar(header[headerBytes - 2]) << 8) | uchar(header[headerBytes - 1]);
    if (received <= capacity)
        return false;
    return device->bytesAvailable() < headerBytes + qint64(received) * recordBytes;
}
