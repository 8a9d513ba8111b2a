#include "probe/probechecker.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int sizeFieldBytes = 2;
constexpr int firstHeaderBytes = 2; // count
constexpr int laterHeaderBytes = 4; // ignored field, count
constexpr qint64 usPerMs = 1000;

float floatAt(const char *p)
{
    const quint32 bits = qFromBigEndian<quint32>(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

bool coordinateFine(float v, bool allowOutside)
{
    return std::isfinite(v) && (allowOutside || (v >= 0.0f && v <= 1.0f));
}

QString describeCoordinate(const char *name, float v)
{
    if (std::isnan(v))
        return QString("%1 is NaN").arg(name);
    if (std::isinf(v))
        return QString("%1 is %2infinite").arg(name, v < 0 ? "minus " : "");
    return QString("%1 %2 is outside [0, 1]").arg(name).arg(double(v), 0, 'g', 9);
}

QString ms(qint64 us)
{
    return QString::number(double(us) / usPerMs, 'f', 1);
}

} // namespace

ProbeChecker::ProbeChecker(const ProbeLimits &limits) : limits(limits) {}

void ProbeChecker::requestSent(qint64 atUs)
{
    ++seen.requests;
    unanswered.push_back(atUs);
}

bool ProbeChecker::readHeader(int at, Header *header) const
{
    const int available = pending.size() - at;
    const int headerBytes = seen.blocks == 0 ? firstHeaderBytes : laterHeaderBytes;
    if (available < sizeFieldBytes + headerBytes)
        return false;
    const char *p = pending.constData() + at;
    header->headerBytes = headerBytes;
    header->size = qFromBigEndian<quint16>(p);
    header->count = qFromBigEndian<quint16>(p + sizeFieldBytes + headerBytes - 2);
    header->length = sizeFieldBytes + headerBytes + recordBytes * header->count;
    return true;
}

void ProbeChecker::bytesArrived(const char *data, qint64 size, qint64 atUs)
{
    if (size <= 0 || finished)
        return;
    pending.append(data, int(size));
    seen.bytes += size;
    ++currentPieces;
    int at = 0;
    Header header;
    while (readHeader(at, &header) && pending.size() - at >= header.length) {
        checkBlock(at, header, atUs);
        at += header.length;
        // A block that starts in this arrival has it as its first piece.
        currentPieces = at < pending.size() ? 1 : 0;
        currentSmallPiece = false;
    }
    pending.remove(0, at);
    pendingOffset += at;
    if (!pending.isEmpty() && size < smallPieceBytes) {
        currentSmallPiece = true;
        seen.smallestPiece = seen.smallestPiece == 0 ? size : std::min(seen.smallestPiece, size);
    }
}

void ProbeChecker::checkBlock(int at, const Header &header, qint64 atUs)
{
    const qint64 offset = pendingOffset + at;
    const qint64 number = ++seen.blocks;
    const bool first = number == 1;
    const int expected = header.headerBytes + recordBytes * header.count;
    if (header.size != expected)
        violation(offset, QString("block %1: size field %2, but %3 records in the %4 layout need "
                                  "%5 + 10 x %3 = %6%7")
                              .arg(number)
                              .arg(header.size)
                              .arg(header.count)
                              .arg(first ? "first" : "later")
                              .arg(header.headerBytes)
                              .arg(expected)
                              .arg(expected > 0xffff ? ", more than 16 bits hold" : ""));
    if (header.count > maxCount)
        violation(
            offset + header.headerBytes,
            QString("block %1: count %2 is above %3, the most a 16-bit size field can "
                    "describe%4")
                .arg(number)
                .arg(header.count)
                .arg(maxCount)
                .arg(header.count > clientTableSize
                         ? QString(" (and above the client's table of %1)").arg(clientTableSize)
                         : QString()));
    checkRecords(at, header, number);

    if (number == 1 || header.count < seen.minTargets)
        seen.minTargets = header.count;
    seen.maxTargets = std::max<int>(seen.maxTargets, header.count);
    seen.totalTargets += header.count;
    pairWithRequest(offset, number, atUs);
    countPieces(offset, number);
}

void ProbeChecker::checkRecords(int at, const Header &header, qint64 blockNumber)
{
    const char *records = pending.constData() + at + sizeFieldBytes + header.headerBytes;
    int bad = 0;
    ProbeViolation firstBad;
    for (int r = 0; r < header.count; ++r) {
        const char *record = records + r * recordBytes;
        const float x = floatAt(record), y = floatAt(record + 4);
        const bool xFine = coordinateFine(x, limits.allowOutside);
        if (xFine && coordinateFine(y, limits.allowOutside))
            continue;
        if (bad++ > 0)
            continue;
        const qint64 offset = pendingOffset + (record - pending.constData()) + (xFine ? 4 : 0);
        firstBad = {offset,
                    QString("block %1, record %2: %3")
                        .arg(blockNumber)
                        .arg(r + 1)
                        .arg(xFine ? describeCoordinate("y", y) : describeCoordinate("x", x))};
    }
    if (bad > 1)
        firstBad.message += QString(" (and %1 more records with bad coordinates)").arg(bad - 1);
    if (bad > 0)
        violation(firstBad.offset, firstBad.message);
}

void ProbeChecker::pairWithRequest(qint64 offset, qint64 blockNumber, qint64 atUs)
{
    if (unanswered.empty()) {
        violation(offset,
                  QString("block %1 came without a request waiting for it").arg(blockNumber));
        return;
    }
    const qint64 latency = atUs - unanswered.front();
    unanswered.pop_front();
    seen.latenciesUs.push_back(latency);
    if (latency > limits.maxLatencyUs)
        violation(offset, QString("block %1: reply took %2 ms, above the limit of %3 ms")
                              .arg(blockNumber)
                              .arg(ms(latency))
                              .arg(ms(limits.maxLatencyUs)));
}

void ProbeChecker::countPieces(qint64 offset, qint64 blockNumber)
{
    const int pieces = std::max(currentPieces, 1);
    if (blockNumber == 1 || pieces < seen.minPieces)
        seen.minPieces = pieces;
    seen.maxPieces = std::max(seen.maxPieces, pieces);
    seen.totalPieces += pieces;
    if (currentSmallPiece && seen.smallPieceBlocks++ == 0) {
        seen.firstSmallPieceBlock = blockNumber;
        seen.firstSmallPieceOffset = offset;
    }
}

void ProbeChecker::serverClosed()
{
    if (finished)
        return;
    violation(pendingOffset + pending.size(),
              QString("the server closed the connection after %1 blocks").arg(seen.blocks));
}

void ProbeChecker::finish(qint64 atUs)
{
    if (finished)
        return;
    finished = true;
    if (!pending.isEmpty()) {
        Header header;
        const QString expected = readHeader(0, &header)
                                     ? QString(" of the %1 its count needs").arg(header.length)
                                     : QString();
        violation(pendingOffset, QString("block %1 is cut off: %2 bytes arrived%3")
                                     .arg(seen.blocks + 1)
                                     .arg(pending.size())
                                     .arg(expected));
    }
    const qint64 end = pendingOffset + pending.size();
    for (qint64 sentUs : unanswered)
        violation(
            end,
            QString("a request sent %1 ms before the end got no reply").arg(ms(atUs - sentUs)));
    unanswered.clear();
}

void ProbeChecker::violation(qint64 offset, const QString &message)
{
    if (listed.size() < maxListedViolations)
        listed.push_back({offset, message});
    ++violationTotal;
}
