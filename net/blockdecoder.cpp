#include "net/blockdecoder.h"

#include "net/logic.h"

#include <QIODevice>

namespace {
// Format 4.0 reads floats as 4 bytes whatever later formats default to.
const int streamVersion = 7;
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
    for (int i = 0; i < stored; ++i) {
        Target &target = table[i];
        quint16 value = 0;
        stream >> target.x >> target.y >> value;
        target.value = float(value);
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
