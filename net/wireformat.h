// SPDX-License-Identifier: MIT
// The radar table's wire protocol, the one place its facts are written down.
//
// The client sends one request byte; the server answers with reply blocks.
// Every integer is unsigned big-endian, every float an IEEE 754 single
// precision value in big-endian byte order. A block is a 16-bit size field
// (the number of bytes that follow it) and a body. The first block a client
// decodes has the body "count, records"; every later one "a 16-bit field the
// client ignores, count, records". A record is "x, y, value": two floats and
// a 16-bit value. There is no magic number, checksum or terminator, so the
// size field must match the body exactly or the stream falls out of step.
#pragma once

#include <cstdint>
#include <cstring>

namespace wire {

constexpr char requestByte = 0x02;

constexpr int u16Bytes = 2;
constexpr int f32Bytes = 4;

constexpr int sizeFieldBytes = u16Bytes;
constexpr int ignoredFieldBytes = u16Bytes; // later blocks only
constexpr int countFieldBytes = u16Bytes;
constexpr int firstHeaderBytes = countFieldBytes;                     // after the size field
constexpr int laterHeaderBytes = ignoredFieldBytes + countFieldBytes; // after the size field

// Bytes after the size field up to the records, by layout.
constexpr int headerBytes(bool firstLayout)
{
    return firstLayout ? firstHeaderBytes : laterHeaderBytes;
}
// Offsets from the block's first byte (that of its size field).
constexpr int countOffset(bool firstLayout)
{
    return sizeFieldBytes + headerBytes(firstLayout) - countFieldBytes;
}
constexpr int recordsOffset(bool firstLayout)
{
    return sizeFieldBytes + headerBytes(firstLayout);
}

constexpr int recordXOffset = 0;
constexpr int recordYOffset = recordXOffset + f32Bytes;
constexpr int recordValueOffset = recordYOffset + f32Bytes;
constexpr int recordBytes = recordValueOffset + u16Bytes;
static_assert(recordBytes == 10, "a record is 10 bytes");

constexpr int largestSizeField = 0xffff;
constexpr int largestCountField = 0xffff;
// The most records a later block's size field can describe.
constexpr int maxRecordsPerBlock = (largestSizeField - laterHeaderBytes) / recordBytes;
static_assert(maxRecordsPerBlock == 6553, "a 16-bit size field describes 6553 records");
// The records a client keeps; a count above it is hostile.
constexpr int clientTableSize = 10000;

// What the size field of a well-formed block of `count` records holds.
constexpr int sizeFieldFor(bool firstLayout, int count)
{
    return headerBytes(firstLayout) + recordBytes * count;
}

// The longest a block can be when read by its count, size field included:
// a later layout with the largest count. A reader that consumes every record
// a count announces must be able to hold this much.
constexpr int longestBlockBytes = recordsOffset(false) + recordBytes * largestCountField;
static_assert(longestBlockBytes >= sizeFieldBytes + largestSizeField,
              "no size field announces more than a count can");

// Big-endian fields from and to bytes; the caller guarantees the width.
inline std::uint16_t readU16(const unsigned char *p)
{
    return std::uint16_t((p[0] << 8) | p[1]);
}

inline float readF32(const unsigned char *p)
{
    const std::uint32_t bits = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) |
                               (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void writeU16(unsigned char *p, std::uint16_t value)
{
    p[0] = static_cast<unsigned char>(value >> 8);
    p[1] = static_cast<unsigned char>(value);
}

inline void writeF32(unsigned char *p, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    p[0] = static_cast<unsigned char>(bits >> 24);
    p[1] = static_cast<unsigned char>(bits >> 16);
    p[2] = static_cast<unsigned char>(bits >> 8);
    p[3] = static_cast<unsigned char>(bits);
}

} // namespace wire
