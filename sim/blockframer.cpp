#include "sim/blockframer.h"

#include <QtEndian>

namespace {
constexpr int sizeFieldBytes = 2;
}

QVector<QByteArray> BlockFramer::feed(const char *data, qint64 size)
{
    pending.append(data, int(size));
    QVector<QByteArray> blocks;
    int at = 0;
    while (pending.size() - at >= sizeFieldBytes) {
        const int length = sizeFieldBytes + qFromBigEndian<quint16>(pending.constData() + at);
        if (pending.size() - at < length)
            break;
        blocks.push_back(pending.mid(at, length));
        at += length;
    }
    pending.remove(0, at);
    return blocks;
}
