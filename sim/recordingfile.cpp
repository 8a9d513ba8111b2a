#include "sim/recordingfile.h"

bool RecordingFile::load(const QString &path)
{
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        message = path + ": cannot read it: " + file.errorString();
        return false;
    }
    qint64 size = file.size();
    data = size > 0 ? reinterpret_cast<const char *>(file.map(0, size)) : nullptr;
    if (!data) {
        // Pipes and some file systems cannot be mapped.
        readBytes = file.readAll();
        data = readBytes.constData();
        size = readBytes.size();
    }
    RecordingParse parsed = Recording::parse(data, size);
    if (!parsed.error.isEmpty()) {
        message = path + ": " + parsed.error;
        return false;
    }
    index = std::move(parsed.blocks);
    return true;
}

QByteArray RecordingFile::block(int i) const
{
    const RecordedBlock &b = index[i];
    return QByteArray(data + b.offset, b.length);
}

bool RecordingWriter::open(const QString &path)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
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

bool RecordingWriter::write(const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        message = file.fileName() + ": cannot write it: " + file.errorString();
        return false;
    }
    return true;
}
