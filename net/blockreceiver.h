// SPDX-License-Identifier: MIT
// Takes the server's bytes from a device (the client's socket) into one
// contiguous buffer and lets a BlockDecoder consume the complete blocks in
// it, so that after every arrival the table holds the newest complete block
// received, however many came together. An incomplete block waits in the
// buffer for the rest of its bytes.
#pragma once

#include "net/blockdecoder.h"
#include "net/wireformat.h"

#include <cstddef>
#include <vector>

class QIODevice;

class BlockReceiver
{
public:
    // The most bytes the receiver holds. More than the longest block, so
    // that every block can complete and a read always finds room.
    static constexpr std::size_t bufferBytes = 1 << 20;
    static_assert(bufferBytes > std::size_t(wire::longestBlockBytes),
                  "the buffer must hold any block");

    // Reads everything the device has buffered, in pieces of at most the room
    // left, and decodes after each piece (see BlockDecoder::decode for the
    // table, capacity and count). True when a block was decoded. The device
    // is not kept.
    bool receive(QIODevice &device, Target *table, int capacity, int *count);

    // Bytes of an incomplete block held back; always fewer than
    // wire::longestBlockBytes between calls.
    std::size_t pendingBytes() const { return pending; }

private:
    BlockDecoder decoder;
    std::vector<unsigned char> buffer; // grows to the most ever held, up to bufferBytes
    std::size_t pending = 0;           // bytes at the front of buffer not yet consumed
};
