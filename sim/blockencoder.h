// Encodes reply blocks for one connection, byte for byte as the client reads
// them: every integer unsigned big-endian, every float IEEE 754 single
// precision big-endian.
//
// First block of a connection:  u16 size = 2 + 10 * count, u16 count, records.
// Every later block:            u16 size = 4 + 10 * count, u16 block number,
//                               u16 count, records.
// Record (10 bytes):            f32 x, f32 y, u16 value.
//
// The block number is the block's 0-based position on its connection (so the
// second block carries 1), wrapping after 65535; the client ignores it.
//
// An encoder made with an overcount (a fault for tests) breaks the format on
// purpose: every block claims that many records and carries all of them,
// repeating the frame's targets (or records at (0.5, 0.5) with value 0 when
// the frame is empty); its size field keeps the low 16 bits of the true size.
#pragma once

#include "sim/simtarget.h"

#include <QByteArray>
#include <QVector>

class BlockEncoder
{
public:
    static constexpr int recordBytes = 10;
    static constexpr int firstHeaderBytes = 2; // count
    static constexpr int laterHeaderBytes = 4; // block number, count
    // The 16-bit size field of a later block holds at most 4 + 10 * 6553.
    static constexpr int maxRecordsPerBlock = (0xffff - laterHeaderBytes) / recordBytes;

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
