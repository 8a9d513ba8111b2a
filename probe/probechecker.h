// SPDX-License-Identifier: MIT
// Checks a server's side of the radar table's wire protocol, on bytes: the
// caller tells it when it sent each request byte and hands it the server's
// bytes as they arrive, in chunks of any size, with their arrival times. No
// sockets, so every check can be fed by hand.
//
// The stream is cut into blocks the way the client reads it: by the count
// field, not the size field, so a block with a wrong size field is reported
// and the following blocks are still found where the client looks for them.
// The first block has the first layout (size, count, records), every later
// one the later layout (size, ignored field, count, records).
//
// Violations, each at the byte offset of the field or record at fault (0 is
// the first byte the server sent):
//   - a size field other than the one the layout and count give
//   - a count above the most a 16-bit size field can describe
//   - a coordinate that is not finite, or outside [0, 1] unless allowed
//     (one line per block: the first such record, and how many more)
//   - a block that comes without a request waiting for it
//   - a reply later than the latency limit after its request
//   - a request still without a reply when the run ends
//   - a block cut off at the end, and a server that closes the connection
//
// Not violations but reported: blocks that arrive in small pieces. TCP may
// deliver a block in any number of pieces and the client must cope, but a
// piece smaller than any network segment (536 bytes) that ends inside a
// block means the server wrote the block in parts.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <deque>

struct ProbeViolation
{
    qint64 offset = 0; // in the server's byte stream
    QString message;
};

struct ProbeLimits
{
    static constexpr qint64 defaultMaxLatencyUs = 200000;

    qint64 maxLatencyUs = defaultMaxLatencyUs; // reply later than this: a violation
    bool allowOutside = false;                 // coordinates outside [0, 1] are fine
};

// What the probe saw, for the report.
struct ProbeStats
{
    qint64 requests = 0;
    qint64 blocks = 0;
    qint64 bytes = 0;
    int minTargets = 0, maxTargets = 0;
    qint64 totalTargets = 0;
    QVector<qint64> latenciesUs; // of every block that answered a request, in order
    int minPieces = 0, maxPieces = 0;
    qint64 totalPieces = 0;
    qint64 smallPieceBlocks = 0;     // blocks with a small piece ending inside them
    qint64 firstSmallPieceBlock = 0; // 1-based
    qint64 firstSmallPieceOffset = 0;
    qint64 smallestPiece = 0; // bytes
};

class ProbeChecker
{
public:
    static constexpr int smallPieceBytes = 536;
    // Violations past this many are counted, not listed.
    static constexpr int maxListedViolations = 1000;

    explicit ProbeChecker(const ProbeLimits &limits = {});

    // Times are microseconds on one clock of the caller's choice.
    void requestSent(qint64 atUs);
    void bytesArrived(const char *data, qint64 size, qint64 atUs);
    // The server closed the connection while the run went on.
    void serverClosed();
    // The run is over: what is still unanswered or cut off is a violation.
    // Call once, last.
    void finish(qint64 atUs);

    bool awaitingReply() const { return !unanswered.empty(); }
    // When the oldest unanswered request went out; only while awaitingReply().
    qint64 oldestRequestUs() const { return unanswered.front(); }

    const ProbeStats &stats() const { return seen; }
    const QVector<ProbeViolation> &violations() const { return listed; }
    qint64 violationCount() const { return violationTotal; }
    bool passed() const { return violationTotal == 0; }

private:
    struct Header
    {
        int length = 0;     // whole block, by its count
        bool first = false; // the first layout
        quint16 size = 0;
        quint16 count = 0;
    };

    bool readHeader(int at, Header *header) const;
    void checkBlock(int at, const Header &header, qint64 atUs);
    void checkRecords(int at, const Header &header, qint64 blockNumber);
    void pairWithRequest(qint64 offset, qint64 blockNumber, qint64 atUs);
    void countPieces(qint64 offset, qint64 blockNumber);
    void violation(qint64 offset, const QString &message);

    ProbeLimits limits;
    ProbeStats seen;
    QVector<ProbeViolation> listed;
    qint64 violationTotal = 0;
    std::deque<qint64> unanswered; // send times
    QByteArray pending;            // bytes of the unfinished block
    qint64 pendingOffset = 0;      // stream offset of pending[0]
    int currentPieces = 0;         // arrivals that brought bytes of the unfinished block
    bool currentSmallPiece = false;
    bool finished = false;
};
