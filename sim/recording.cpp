// SPDX-License-Identifier: MIT
#include "sim/recording.h"

#include <QtEndian>

#include <cstring>
#include <limits>

static_assert(sizeof(Recording::magic) == Recording::magicBytes + 1, "magic without its zero");

namespace Recording {

QByteArray header()
{
    QByteArray bytes(magic, magicBytes);
    bytes.resize(headerBytes);
    qToBigEndian(version, bytes.data() + magicBytes);
    return bytes;
}

QByteArray blockRecord(qint64 timeUs, const QByteArray &block)
{
    QByteArray bytes(recordHeaderBytes, Qt::Uninitialized);
    qToBigEndian(quint64(timeUs), bytes.data());
    qToBigEndian(quint32(block.size()), bytes.data() + 8);
    return bytes + block;
}

RecordingParse parse(const char *data, qint64 size)
{
    RecordingParse result;
    auto fail = [&result](const QString &message) {
        result.blocks.clear();
        result.error = message;
        return result;
    };
    // The end of a file still being written, or of one whose writer was
    // stopped in the middle of a record: what came before it is whole.
    auto cutOff = [&result](const QString &message) {
        result.cutOff = message;
        return result;
    };

    if (size < magicBytes || std::memcmp(data, magic, magicBytes) != 0)
        return fail(QString("not a radarsim recording: it does not start with \"%1\"").arg(magic));
    if (size < headerBytes)
        return fail("the header is cut off after the magic");
    const quint32 fileVersion = qFromBigEndian<quint32>(data + magicBytes);
    if (fileVersion != version)
        return fail(QString("recording format version %1; this radarsim reads version %2")
                        .arg(fileVersion)
                        .arg(version));

    qint64 at = headerBytes;
    qint64 previousUs = 0;
    while (at < size) {
        const int number = result.blocks.size() + 1;
        const QString where = QString("block record %1 at byte %2").arg(number).arg(at);
        if (size - at < recordHeaderBytes)
            return cutOff(QString("%1 is cut off: its time and length need %2 bytes, %3 are left")
                              .arg(where)
                              .arg(recordHeaderBytes)
                              .arg(size - at));
        const quint64 time = qFromBigEndian<quint64>(data + at);
        const quint32 length = qFromBigEndian<quint32>(data + at + 8);
        if (time > quint64(std::numeric_limits<qint64>::max()))
            return fail(QString("%1: time %2 us is out of range").arg(where).arg(time));
        if (qint64(time) < previousUs)
            return fail(QString("%1: time %2 us is before the previous block's %3 us")
                            .arg(where)
                            .arg(time)
                            .arg(previousUs));
        if (length < quint32(minBlockBytes) || length > quint32(maxBlockBytes))
            return fail(QString("%1: block length %2 is outside %3 to %4")
                            .arg(where)
                            .arg(length)
                            .arg(minBlockBytes)
                            .arg(maxBlockBytes));
        const qint64 blockAt = at + recordHeaderBytes;
        if (size - blockAt < qint64(length))
            return cutOff(QString("%1 is cut off: its block needs %2 bytes, %3 are left")
                              .arg(where)
                              .arg(length)
                              .arg(size - blockAt));
        const quint16 sizeField =
            wire::readU16(reinterpret_cast<const unsigned char *>(data + blockAt));
        if (length != quint32(wire::sizeFieldBytes) + sizeField)
            return fail(QString("%1: block length %2 disagrees with the block's size field %3 "
                                "(the length must be 2 more)")
                            .arg(where)
                            .arg(length)
                            .arg(sizeField));
        result.blocks.push_back({qint64(time), blockAt, int(length)});
        previousUs = qint64(time);
        at = blockAt + length;
    }
    return result;
}

} // namespace Recording
