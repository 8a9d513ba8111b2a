// SPDX-License-Identifier: MIT
#include "probe/probechecker.h"

#include "net/wireformat.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 usPerMs = 1000;

const unsigned char *bytesAt(const char *p)
{
    return reinterpret_cast<const unsigned char *>(p);
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
    const bool first = seen.blocks == 0;
    if (pending.size() - at < wire::recordsOffset(first))
        return false;
    const unsigned char *p = bytesAt(pending.constData() + at);
    header->first = first;
    header->size = wire::readU16(p);
    header->count = wire::readU16(p + wire::countOffset(first));
    header->length = wire::recordsOffset(first) + wire::recordBytes * header->count;
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
    const int expected = wire::sizeFieldFor(header.first, header.count);
    if (header.size != expected)
        violation(offset,
                  QString("block %1: size field %2, but %3 records in the %4 layout need "
                          "%5 + %6 x %3 = %7%8")
                      .arg(number)
                      .arg(header.size)
                      .arg(header.count)
                      .arg(header.first ? "first" : "later")
                      .arg(wire::headerBytes(header.first))
                      .arg(wire::recordBytes)
                      .arg(expected)
                      .arg(expected > wire::largestSizeField ? ", more than 16 bits hold" : ""));
    if (header.count > wire::maxRecordsPerBlock)
        violation(offset + wire::countOffset(header.first),
                  QString("block %1: count %2 is above %3, the most a 16-bit size field can "
                          "describe%4")
                      .arg(number)
                      .arg(header.count)
                      .arg(wire::maxRecordsPerBlock)
                      .arg(header.count > wire::clientTableSize
                               ? QString(" (and above the client's table of %1)")
                                     .arg(wire::clientTableSize)
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
    const unsigned char *start = bytesAt(pending.constData());
    const unsigned char *records = start + at + wire::recordsOffset(header.first);
    int bad = 0;
    ProbeViolation firstBad;
    for (int r = 0; r < header.count; ++r) {
        const unsigned char *record = records + r * wire::recordBytes;
        const float x = wire::readF32(record + wire::recordXOffset);
        const float y = wire::readF32(record + wire::recordYOffset);
        const bool xFine = coordinateFine(x, limits.allowOutside);
        if (xFine && coordinateFine(y, limits.allowOutside))
            continue;
        if (bad++ > 0)
            continue;
        const qint64 offset =
            pendingOffset + (record - start) + (xFine ? wire::recordYOffset : wire::recordXOffset);
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
