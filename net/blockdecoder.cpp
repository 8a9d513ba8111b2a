// SPDX-License-Identifier: MIT
#include "net/blockdecoder.h"

#include "net/wireformat.h"

#include <algorithm>

namespace {

// The block at the front of the bytes given. A field that does not lie
// wholly within them reads as zero, as a short stream read gives it.
class Block
{
public:
    Block(const unsigned char *bytes, std::size_t size, bool firstLayout)
        : bytes(bytes), size(size), firstLayout(firstLayout)
    {
    }

    // Bytes the block takes once it is complete; 0 while it is not.
    std::size_t completeBytes(int capacity) const
    {
        if (size < std::size_t(wire::sizeFieldBytes) ||
            size < wire::sizeFieldBytes + std::size_t(u16(0)))
            return 0;
        const int received = count();
        const std::size_t byCount =
            wire::recordsOffset(firstLayout) + std::size_t(received) * wire::recordBytes;
        if (received > capacity && size < byCount)
            return 0;
        return std::min(size, byCount);
    }

    // Writes the records that fit the table; returns how many.
    int decode(Target *table, int capacity) const
    {
        const int stored = std::min(count(), capacity);
        const std::size_t first = wire::recordsOffset(firstLayout);
        // Records wholly within the bytes take the short road; only a block
        // whose size field lied leaves any after them.
        const std::size_t whole = size > first ? (size - first) / wire::recordBytes : 0;
        const int direct = int(std::min<std::size_t>(std::size_t(stored), whole));
        const unsigned char *record = bytes + first;
        for (int i = 0; i < direct; ++i, record += wire::recordBytes) {
            table[i].x = wire::readF32(record + wire::recordXOffset);
            table[i].y = wire::readF32(record + wire::recordYOffset);
            table[i].value = float(wire::readU16(record + wire::recordValueOffset));
        }
        for (int i = direct; i < stored; ++i) {
            const std::size_t at = first + std::size_t(i) * wire::recordBytes;
            table[i].x = f32(at + wire::recordXOffset);
            table[i].y = f32(at + wire::recordYOffset);
            table[i].value = float(u16(at + wire::recordValueOffset));
        }
        return stored;
    }

private:
    int count() const { return u16(std::size_t(wire::countOffset(firstLayout))); }

    std::uint16_t u16(std::size_t at) const
    {
        return at + wire::u16Bytes <= size ? wire::readU16(bytes + at) : 0;
    }
    float f32(std::size_t at) const
    {
        return at + wire::f32Bytes <= size ? wire::readF32(bytes + at) : 0.0f;
    }

    const unsigned char *bytes;
    std::size_t size;
    bool firstLayout;
};

} // namespace

BlockDecoder::Result BlockDecoder::decode(const unsigned char *bytes, std::size_t size,
                                          Target *table, int capacity, int *count)
{
    Result result;
    const unsigned char *newest = nullptr;
    bool newestFirstLayout = false;
    // Every complete block takes at least its size field, so this ends.
    for (;;) {
        const unsigned char *at = bytes + result.consumed;
        const std::size_t length =
            Block(at, size - result.consumed, firstLayout).completeBytes(capacity);
        if (length == 0)
            break;
        newest = at;
        newestFirstLayout = firstLayout;
        firstLayout = false;
        result.consumed += length;
        ++result.blocks;
    }
    // Only the newest is shown, so only it is decoded: a burst of blocks
    // costs a look at each header.
    if (newest)
        *count = Block(newest, std::size_t(bytes + size - newest), newestFirstLayout)
                     .decode(table, capacity);
    return result;
}
