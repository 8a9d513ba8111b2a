// Recording files on disk (format in recording.h): reading one for replay,
// writing one while recording.
#pragma once

#include "sim/recording.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVector>

// A whole recording, checked, mapped into memory where the file system allows.
class RecordingFile
{
public:
    // Opens and checks `path`. False with error() set to "PATH: message" when
    // it cannot be read or is no valid recording.
    bool load(const QString &path);

    const QVector<RecordedBlock> &blocks() const { return index; }
    // The bytes of block `i`, 0 <= i < blocks().size().
    QByteArray block(int i) const;
    QString error() const { return message; }

private:
    QFile file;
    QByteArray readBytes; // the contents when the file cannot be mapped
    const char *data = nullptr;
    QVector<RecordedBlock> index;
    QString message;
};

// Writes a recording as it is made: the header at once, then each block
// record whole and flushed, so that a recorder stopped at any moment leaves a
// valid file.
class RecordingWriter
{
public:
    // Creates or truncates `path` and writes the header. False with error()
    // set to "PATH: message" when that fails.
    bool open(const QString &path);
    // Appends one block record; false, with error() set, on a write error.
    bool append(qint64 timeUs, const QByteArray &block);

    qint64 blocksWritten() const { return blocks; }
    QString path() const { return file.fileName(); }
    QString error() const { return message; }

private:
    bool write(const QByteArray &bytes);

    QFile file;
    qint64 blocks = 0;
    QString message;
};
