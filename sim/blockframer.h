// SPDX-License-Identifier: MIT
// Cuts a server's byte stream into blocks by their 16-bit size fields: a
// block is its size field and that many bytes after it. This is how the
// recorder stores what it forwards; unlike the client, which reads records
// by their count, it trusts the size fields, so the blocks end to end are
// always exactly the stream.
#pragma once

#include <QByteArray>
#include <QVector>

class BlockFramer
{
public:
    // Takes the next bytes of the stream; returns the blocks they complete,
    // in order, each with its size field.
    QVector<QByteArray> feed(const char *data, qint64 size);

    // Bytes of an unfinished block held back.
    qint64 pendingBytes() const { return pending.size(); }

private:
    QByteArray pending;
};
