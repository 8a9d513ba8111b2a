#include "sim/blockencoder.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

static_assert(BlockEncoder::maxRecordsPerBlock == 6553,
              "the 16-bit size field allows 6553 records");
static_assert(sizeof(float) == sizeof(quint32), "records carry 32-bit floats");

namespace {

void putU16(char *&out, quint16 v)
{
    qToBigEndian(v, out);
    out += sizeof v;
}

void putF32(char *&out, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    qToBigEndian(bits, out);
    out += sizeof bits;
}

} // namespace

QByteArray BlockEncoder::nextBlock(const QVector<SimTarget> &targets)
{
    static const SimTarget filler{0.5f, 0.5f, 0};
    const int count = overcount > 0 ? overcount : std::min(int(targets.size()), maxRecordsPerBlock);
    const bool first = blocks == 0;
    const int header = first ? firstHeaderBytes : laterHeaderBytes;
    const int body = header + recordBytes * count;

    QByteArray block(int(sizeof(quint16)) + body, Qt::Uninitialized);
    char *out = block.data();
    putU16(out, quint16(body)); // only an overcount needs the wrap
    if (!first)
        putU16(out, quint16(blocks));
    putU16(out, quint16(count));
    const int available = int(targets.size());
    for (int i = 0; i < count; ++i) {
        const SimTarget &t = i < available   ? targets[i]
                             : available > 0 ? targets[i % available]
                                             : filler;
        putF32(out, t.x);
        putF32(out, t.y);
        putU16(out, t.value);
    }
    ++blocks;
    return block;
}
