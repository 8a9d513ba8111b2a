// SPDX-License-Identifier: MIT
#include "sim/recordingfile.h"

#include "sim/inputfile.h"

#include <cerrno>

#include <unistd.h>

bool RecordingFile::load(const QString &path, const std::function<bool()> &stop)
{
    InputFile input = readInputFile(path, Recording::maxFileBytes, stop);
    if (input.stopped || !input.error.isEmpty()) {
        message = input.error;
        return false;
    }
    bytes = std::move(input.bytes);
    RecordingParse parsed = Recording::parse(bytes.constData(), bytes.size());
    if (!parsed.error.isEmpty()) {
        message = path + ": " + parsed.error;
        return false;
    }
    if (!parsed.cutOff.isEmpty())
        cutOffMessage = path + ": " + parsed.cutOff;
    index = std::move(parsed.blocks);
    return true;
}

QByteArray RecordingFile::block(int i) const
{
    const RecordedBlock &b = index[i];
    return bytes.mid(int(b.offset), b.length);
}

bool RecordingWriter::open(const QString &path)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        message = path + ": cannot write it: " + file.errorString();
        return false;
    }
    return write(Recording::header());
}

bool RecordingWriter::append(qint64 timeUs, const QByteArray &block)
{
    if (!write(Recording::blockRecord(timeUs, block)))
        return false;
    ++blocks;
    return true;
}

// Written with the system's calls, not the toolkit's: a record goes out in
// one write, and a write that ends part way tells its reason only here.
bool RecordingWriter::write(const QByteArray &bytes)
{
    if (failed)
        return false;
    if (wholeBytes + bytes.size() > Recording::maxFileBytes) {
        failed = true;
        message = QString("%1: the next block would take it beyond %2 bytes, the most a "
                          "replay reads")
                      .arg(file.fileName())
                      .arg(Recording::maxFileBytes);
        return false;
    }
    const char *at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file.handle(), at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        at += n;
        left -= n;
    }
    if (left == 0) {
        wholeBytes += bytes.size();
        return true;
    }
    failed = true;
    message = file.fileName() + ": cannot write it: " + qt_error_string(errno);
    // Part of the record may have been written: without it the file ends
    // after its last whole record and stays replayable.
    if (::ftruncate(file.handle(), wholeBytes) != 0)
        message += "; cutting off the partial record failed too: " + qt_error_string(errno);
    else
        message += QString(" (the file keeps its %1 whole block(s))").arg(blocks);
    return false;
}
