// SPDX-License-Identifier: MIT
#include "wireblocks.h"

#include <cstring>

namespace {
void appendU16(QByteArray &out, quint16 v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}

void appendF32(QByteArray &out, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    appendU16(out, quint16(bits >> 16));
    appendU16(out, quint16(bits & 0xFFFF));
}
} // namespace

QByteArray rawBlock(bool first, quint16 size, quint16 count, const QVector<WireRecord> &records,
                    quint16 ignored)
{
    QByteArray out;
    out.reserve(6 + records.size() * wireRecordBytes);
    appendU16(out, size);
    if (!first)
        appendU16(out, ignored);
    appendU16(out, count);
    for (const WireRecord &r : records) {
        appendF32(out, r.x);
        appendF32(out, r.y);
        appendU16(out, r.value);
    }
    return out;
}

QByteArray firstBlock(const QVector<WireRecord> &records)
{
    const int count = records.size();
    return rawBlock(true, quint16(2 + wireRecordBytes * count), quint16(count), records);
}

QByteArray laterBlock(const QVector<WireRecord> &records, quint16 ignored)
{
    const int count = records.size();
    return rawBlock(false, quint16(4 + wireRecordBytes * count), quint16(count), records, ignored);
}

QVector<WireRecord> distinctRecords(int count)
{
    QVector<WireRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i)
        records.append({float(i) + 0.25f, -(float(i) + 0.5f), quint16((i * 7 + 1) % 65536)});
    return records;
}

bool tableHolds(const RadarState &state, const QVector<WireRecord> &records)
{
    if (state.targetCount != records.size())
        return false;
    for (int i = 0; i < records.size(); ++i) {
        const Target &t = state.targets[i];
        if (t.x != records[i].x || t.y != records[i].y || t.value != float(records[i].value))
            return false;
    }
    return true;
}
