// SPDX-License-Identifier: MIT
#include "sim/blockencoder.h"

#include <algorithm>
#include <vector>

QByteArray BlockEncoder::nextBlock(const QVector<SimTarget> &targets)
{
    static const SimTarget filler{0.5f, 0.5f, 0};
    const int count = overcount > 0 ? overcount : std::min(int(targets.size()), maxRecordsPerBlock);
    const bool first = blocks == 0;
    const int body = wire::sizeFieldFor(first, count);

    // Encoded in a plain buffer: written through QByteArray's data(), GCC 12
    // cannot tell it from the shared empty array and warns of an overflow.
    std::vector<unsigned char> encoded(std::size_t(wire::sizeFieldBytes + body));
    unsigned char *bytes = encoded.data();
    wire::writeU16(bytes, quint16(body)); // only an overcount needs the wrap
    if (!first)
        wire::writeU16(bytes + wire::sizeFieldBytes, quint16(blocks));
    wire::writeU16(bytes + wire::countOffset(first), quint16(count));
    unsigned char *record = bytes + wire::recordsOffset(first);
    const int available = int(targets.size());
    for (int i = 0; i < count; ++i, record += wire::recordBytes) {
        const SimTarget &t = i < available   ? targets[i]
                             : available > 0 ? targets[i % available]
                                             : filler;
        wire::writeF32(record + wire::recordXOffset, t.x);
        wire::writeF32(record + wire::recordYOffset, t.y);
        wire::writeU16(record + wire::recordValueOffset, t.value);
    }
    ++blocks;
    return QByteArray(reinterpret_cast<const char *>(bytes), int(encoded.size()));
}
