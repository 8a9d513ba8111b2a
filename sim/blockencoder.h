// SPDX-License-Identifier: MIT
// Encodes reply blocks for one connection, byte for byte in the wire format
// (net/wireformat.h) as the client reads it.
//
// The later layout's ignored field carries the block's 0-based position on
// its connection (so the second block carries 1), wrapping after 65535.
//
// An encoder made with an overcount (a fault for tests) breaks the format on
// purpose: every block claims that many records and carries all of them,
// repeating the frame's targets (or records at (0.5, 0.5) with value 0 when
// the frame is empty); its size field keeps the low 16 bits of the true size.
#pragma once

#include "net/wireformat.h"
#include "sim/simtarget.h"

#include <QByteArray>
#include <QVector>

class BlockEncoder
{
public:
    // The most records a well-formed block carries.
    static constexpr int maxRecordsPerBlock = wire::maxRecordsPerBlock;

    // overcount: 0 for well-formed blocks, else the count every block claims.
    explicit BlockEncoder(int overcount = 0) : overcount(overcount) {}

    // The next block of this connection. Targets beyond maxRecordsPerBlock
    // are left out, so the block stays well-formed (without an overcount).
    QByteArray nextBlock(const QVector<SimTarget> &targets);

    // Number of blocks encoded so far.
    quint32 blocksEncoded() const { return blocks; }

private:
    int overcount;
    quint32 blocks = 0;
};
