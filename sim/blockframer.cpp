// SPDX-License-Identifier: MIT
#include "sim/blockframer.h"

#include "net/wireformat.h"

QVector<QByteArray> BlockFramer::feed(const char *data, qint64 size)
{
    pending.append(data, int(size));
    QVector<QByteArray> blocks;
    int at = 0;
    while (pending.size() - at >= wire::sizeFieldBytes) {
        const auto *front = reinterpret_cast<const unsigned char *>(pending.constData() + at);
        const int length = wire::sizeFieldBytes + wire::readU16(front);
        if (pending.size() - at < length)
            break;
        blocks.push_back(pending.mid(at, length));
        at += length;
    }
    pending.remove(0, at);
    return blocks;
}
