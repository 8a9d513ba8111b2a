// SPDX-License-Identifier: MIT
#include "net/blockreceiver.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

bool BlockReceiver::receive(QIODevice &device, Target *table, int capacity, int *count)
{
    bool decoded = false;
    // After a decode less than the longest block stays pending, so there is
    // always room, and every pass takes bytes the device held: a socket does
    // not read from the network while its buffer is being read, so this ends.
    for (;;) {
        const qint64 room = qint64(bufferBytes - pending);
        const qint64 wanted = std::min(device.bytesAvailable(), room);
        if (wanted <= 0)
            break;
        if (buffer.size() < pending + std::size_t(wanted))
            buffer.resize(pending + std::size_t(wanted));
        const qint64 got = device.read(reinterpret_cast<char *>(buffer.data() + pending), wanted);
        if (got <= 0)
            break;
        pending += std::size_t(got);
        const BlockDecoder::Result result =
            decoder.decode(buffer.data(), pending, table, capacity, count);
        decoded = decoded || result.blocks > 0;
        pending -= result.consumed;
        if (result.consumed > 0 && pending > 0)
            std::memmove(buffer.data(), buffer.data() + result.consumed, pending);
    }
    return decoded;
}
