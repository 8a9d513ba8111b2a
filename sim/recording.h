// SPDX-License-Identifier: MIT
// The recording format of radarsim --record and --replay, version 1.
// Every integer is unsigned big-endian.
//
//   header, 12 bytes:
//     0   8  magic "RADARREC"
//     8   4  version, 1
//   block records, one per reply block, in arrival order, to the end of file:
//     0   8  time: microseconds from the moment the recorded client's
//            connection was accepted to the arrival of the block's last byte
//     8   4  length of the block in bytes, 2 to 65537
//     12  length  the block as the server sent it: its 16-bit size field,
//            then that many bytes (so length = 2 + size field)
//
// Times never decrease from one record to the next. The blocks, end to end,
// are the server's byte stream, wrong size fields included: the recorder cuts
// the stream by its size fields.
#pragma once

#include "net/wireformat.h"

#include <QByteArray>
#include <QString>
#include <QVector>

struct RecordedBlock
{
    qint64 timeUs = 0; // microseconds after the connection was accepted
    qint64 offset = 0; // of the block's first byte (its size field) in the recording
    int length = 0;    // bytes of the block
};

struct RecordingParse
{
    QVector<RecordedBlock> blocks; // the whole records; none when error is set
    QString error;                 // one line, naming the record and its byte offset
    // Set when the data end inside a record whose visible part is sound:
    // one line naming it, like an error; `blocks` hold the records before it.
    QString cutOff;
};

namespace Recording {

constexpr char magic[] = "RADARREC"; // without its terminating zero
constexpr int magicBytes = 8;
constexpr quint32 version = 1;
constexpr int headerBytes = magicBytes + 4;
constexpr int recordHeaderBytes = 8 + 4; // time, length
constexpr int minBlockBytes = wire::sizeFieldBytes;
constexpr int maxBlockBytes = wire::sizeFieldBytes + wire::largestSizeField;

// The file header.
QByteArray header();

// One block record; `block` must be 2 to 65537 bytes long and `timeUs` >= 0.
QByteArray blockRecord(qint64 timeUs, const QByteArray &block);

// The largest recording a replay reads; it holds the file in memory. The
// recorder stops recording before its file would grow beyond it.
constexpr qint64 maxFileBytes = qint64(1) << 30;

// Checks a recording: header, every record's length against its size field
// and the bounds, times in order. A record cut off by the end of the data
// ends the recording before it (see RecordingParse::cutOff). Never reads
// outside data[0] to data[size - 1].
RecordingParse parse(const char *data, qint64 size);

} // namespace Recording
