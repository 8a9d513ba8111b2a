// SPDX-License-Identifier: MIT
// The files radarsim serves from: only regular files within their limit,
// refused at once whatever else the path names, and a reading that a stop
// request ends.
#include "filebytes.h"

#include "sim/inputfile.h"
#include "sim/signalwatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

constexpr qint64 limit = 100;

TEST(InputFile, onlyARegularFileWithinTheLimitIsRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString full = dir.filePath("full.txt"), over = dir.filePath("over.txt");
    ASSERT_TRUE(writeFile(full, QByteArray(limit, 'x')));
    ASSERT_TRUE(writeFile(over, QByteArray(limit + 1, 'x')));
    // Without a writer, opening a FIFO for reading would wait for one.
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const InputFile read = readInputFile(full, limit);
    EXPECT_TRUE(read.error.isEmpty()) << qPrintable(read.error);
    EXPECT_EQ(read.bytes, QByteArray(limit, 'x'));

    const QList<std::pair<QString, QString>> refused{
        {fifo, fifo + ": cannot read it: it is a FIFO, not a regular file"},
        {"/dev/zero", "/dev/zero: cannot read it: it is a character device, not a regular file"},
        {dir.path(), dir.path() + ": cannot read it: it is a directory, not a regular file"},
        {over, over + ": cannot read it: larger than 100 bytes"},
        {dir.filePath("missing"), dir.filePath("missing") + ": cannot read it: No such file"},
    };
    for (const auto &[path, message] : refused) {
        const InputFile file = readInputFile(path, limit);
        EXPECT_TRUE(file.error.startsWith(message)) << qPrintable(file.error);
        EXPECT_TRUE(file.bytes.isEmpty()) << qPrintable(path);
        EXPECT_FALSE(file.stopped);
    }
}

TEST(InputFile, aTerminationSignalEndsTheReadingOfAStartUp)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("large.rec");
    ASSERT_TRUE(writeFile(path, QByteArray(3 * readChunkBytes, 'x')));
    int chunksAsked = 0;
    const InputFile whole = readInputFile(path, 4 * readChunkBytes, [&] {
        ++chunksAsked;
        return false;
    });
    EXPECT_EQ(whole.bytes.size(), 3 * readChunkBytes);
    EXPECT_GE(chunksAsked, 3); // asked before every chunk

    SignalWatcher watcher;
    ASSERT_TRUE(watcher.isValid());
    std::raise(SIGTERM);
    const InputFile stopped = readInputFile(path, 4 * readChunkBytes, SignalWatcher::signalled);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_TRUE(stopped.bytes.isEmpty());
    EXPECT_TRUE(stopped.error.isEmpty());
}

} // namespace
