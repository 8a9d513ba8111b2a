// SPDX-License-Identifier: MIT
// Builds the server's reply blocks byte by byte, independently of the
// client's decoder, so that tests compare it against a second reading of the
// wire format rather than against itself.
#pragma once

#include "net/radarstate.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

struct WireRecord
{
    float x;
    float y;
    quint16 value;
};

const int wireRecordBytes = 10;

// A well-formed block: first layout (no ignored field) or later layout.
QByteArray firstBlock(const QVector<WireRecord> &records);
QByteArray laterBlock(const QVector<WireRecord> &records, quint16 ignored = 0xBEEF);

// Any header with any records, for malformed and hostile blocks.
QByteArray rawBlock(bool first, quint16 size, quint16 count, const QVector<WireRecord> &records,
                    quint16 ignored = 0xBEEF);

// Records that differ from each other and from zero: x = i + 0.25,
// y = -(i + 0.5), value = (i * 7 + 1) mod 65536.
QVector<WireRecord> distinctRecords(int count);

// True when the table holds exactly these records, and no more.
bool tableHolds(const RadarState &state, const QVector<WireRecord> &records);
