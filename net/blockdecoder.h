// Decoder of the server's reply blocks, independent of the socket so that it
// can run on any QIODevice (a socket in the client, a QBuffer in tests).
//
// Wire layout, all integers big-endian unsigned, floats IEEE 754 single
// precision big-endian (QDataStream format version 7):
//   first block:  u16 size (= 2 + 10 * count), u16 count, record[count]
//   later blocks: u16 size (= 4 + 10 * count), u16 ignored, u16 count, record[count]
//   record:       f32 x, f32 y, u16 value
#pragma once

#include <QDataStream>
#include <QtGlobal>

class QIODevice;
struct Target;

class BlockDecoder
{
public:
    static const int recordBytes = 10;
    static const int sizeFieldBytes = 2;
    static const int countFieldBytes = 2;
    static const int ignoredFieldBytes = 2;

    // The device is not owned and must outlive the decoder.
    explicit BlockDecoder(QIODevice *device);

    // One step of the receive state machine: decodes at most one block from
    // the bytes the device has buffered (bytesAvailable). Returns true when a
    // block was decoded; then its records are in table[0] to table[*count - 1].
    // Returns false, keeping what it has read of the block so far, when the
    // block is not yet complete.
    //
    // The size field only decides how long to wait: records are read by the
    // block's count, and the byte after the last record starts the next block.
    // A size field smaller than the records makes reads run past the buffered
    // data; those values come back as zero and the stream falls out of step.
    //
    // A count above capacity (hostile: no well-formed block exceeds 6553
    // records) stores the first capacity records and reads and discards the
    // rest. Such a block is decoded only once all of its records are buffered,
    // so the stream stays in step; nothing is written beyond table[capacity - 1].
    bool decodeBlock(Target *table, int capacity, int *count);

private:
    bool hostileBlockIncomplete(int capacity) const;

    QIODevice *device;
    QDataStream stream;
    bool sizeRead = false;  // awaiting the body rather than the size field
    quint16 blockSize = 0;  // body bytes to wait for
    bool firstBlock = true; // the next block has the first layout
};
