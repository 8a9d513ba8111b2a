// SPDX-License-Identifier: MIT
// Decoder of the server's reply blocks (format in wireformat.h) from
// contiguous bytes: no device, no toolkit. The caller keeps what has arrived
// and not yet been consumed, and hands all of it over after every arrival;
// BlockReceiver does that for a socket.
//
// The block at the front is complete once its size field and the body bytes
// that field announces are in; a block whose count exceeds the table must
// also have all of its records in (no well-formed block does, and consuming
// its surplus keeps the stream in step).
//
// The size field only decides the wait: records are read by the count, and
// the byte after the last record starts the next block. A size field smaller
// than the records lets a block complete before they are in: its fields
// beyond the bytes given read as zero, it consumes all of those bytes, and
// the stream falls out of step.
#pragma once

#include "net/radarstate.h"

#include <cstddef>

class BlockDecoder
{
public:
    struct Result
    {
        std::size_t consumed = 0; // leading bytes used up by the complete blocks
        int blocks = 0;           // complete blocks consumed
    };

    // Consumes every complete block at the front of bytes[0, size) and decodes
    // the newest of them: its first min(count, capacity) records go to table[0]
    // and on, their number to *count; nothing is written at or beyond
    // table[capacity]. When no block is complete, neither the table nor *count
    // changes. The bytes from `consumed` on start an incomplete block: pass
    // them again, followed by what arrives after them.
    //
    // Blocks consumed without being decoded still count for the layout: only
    // the first block of the stream has the first layout.
    Result decode(const unsigned char *bytes, std::size_t size, Target *table, int capacity,
                  int *count);

    // True until a block has been consumed.
    bool expectsFirstLayout() const { return firstLayout; }

private:
    bool firstLayout = true;
};
