// SPDX-License-Identifier: MIT
// Reading the files radarsim serves from, scenarios and recordings, whatever
// their paths name: only a regular file (or a link to one) is read, opening
// never waits (a FIFO without a writer would block start-up for good), a
// device is never read without end, and nothing stays mapped that another
// process could cut short under us.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

struct InputFile
{
    QByteArray bytes;     // the whole file, when error is empty and not stopped
    QString error;        // "PATH: cannot read it: reason", one line
    bool stopped = false; // `stop` ended the reading; bytes and error empty
};

// Reads the regular file `path` whole when it holds at most `maxBytes`
// bytes (below 2 GiB, the most a QByteArray holds). Anything else is an error: a name that cannot
// be opened, a FIFO, a device, a directory, a file larger than `maxBytes` or one that grows beyond
// them while it is read. `stop`, when given, is asked before every chunk of at most readChunkBytes,
// so that a long read can be given up.
InputFile readInputFile(const QString &path, qint64 maxBytes,
                        const std::function<bool()> &stop = {});

constexpr qint64 readChunkBytes = 1 << 20;
