// SPDX-License-Identifier: MIT
// Recording files on disk (format in recording.h): reading one for replay,
// writing one while recording.
#pragma once

#include "sim/recording.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVector>

#include <functional>

// A whole recording, checked and held in memory: whatever happens to the
// file afterwards (cut short, rewritten) does not touch the replay.
class RecordingFile
{
public:
    // Reads and checks `path`, a regular file of at most
    // Recording::maxFileBytes (see inputfile.h). False with error() set to
    // "PATH: message" when it cannot be read or is no valid recording; false
    // with error() empty when `stop` ended the reading. A record cut off at
    // the end is left out, with cutOff() saying so.
    bool load(const QString &path, const std::function<bool()> &stop = {});

    const QVector<RecordedBlock> &blocks() const { return index; }
    // The bytes of block `i`, 0 <= i < blocks().size().
    QByteArray block(int i) const;
    QString error() const { return message; }
    // "PATH: message" about a record cut off at the end; empty if none was.
    QString cutOff() const { return cutOffMessage; }

private:
    QByteArray bytes;
    QVector<RecordedBlock> index;
    QString message;
    QString cutOffMessage;
};

// Writes a recording as it is made: the header at once, then each block
// record whole, handed to the system at once, so that a recorder
// stopped at any moment leaves a valid file. A write that fails (a full
// disk, say) is undone back to the last whole record, and so is one that
// would take the file beyond Recording::maxFileBytes; after it the writer
// writes nothing more.
class RecordingWriter
{
public:
    // Creates or truncates `path` and writes the header. False with error()
    // set to "PATH: message" when that fails.
    bool open(const QString &path);
    // Appends one block record; false, with error() set, when it cannot be
    // written whole (or an earlier one could not).
    bool append(qint64 timeUs, const QByteArray &block);

    qint64 blocksWritten() const { return blocks; }
    QString path() const { return file.fileName(); }
    QString error() const { return message; }

private:
    bool write(const QByteArray &bytes);

    QFile file;
    qint64 wholeBytes = 0; // the file's size up to its last whole record
    qint64 blocks = 0;
    bool failed = false;
    QString message;
};
