// SPDX-License-Identifier: MIT
// The TUIO bridge's message handling on arbitrary messages: decoded OSC
// messages built from the fuzz bytes, and raw packets taken apart by liblo,
// from a few senders, with a clock that jumps.
//
// Input: a program of steps, each an opcode byte and its operands:
//   bundle     a sender byte
//   message    a sender byte, a path byte, an argument count byte, then per
//              argument a type byte and its value (int32 and float32 from
//              four bytes, strings from a byte choosing a word)
//   time       a byte: the clock moves on by up to two seconds
//   targets    the block's targets now, checked
//   packet     a length byte and that many bytes, decoded with liblo and
//              handed to the tracker as the bridge does
//
// Checked after every targets step and at the end: at most a block's worth
// of targets, each finite and within the unit square; no more sources than
// the bound; the counts never negative.
#include "fuzzcheck.h"
#include "net/wireformat.h"
#include "sim/oscdecoder.h"
#include "sim/tuiotracker.h"

#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int msPerTimeStep = 8;
constexpr int maxArguments = 16;

const TuioTracker::Sender senders[] = {
    {"192.0.2.1", 3333}, {"192.0.2.1", 3334}, {"2001:db8::1", 3333}, {"192.0.2.2", 50000}};
const char *const paths[] = {"/tuio/2Dcur", "/tuio/2Dobj", "/tuio/2Dblb", "/tuio/3Dcur"};
const char *const words[] = {"alive", "set", "fseq", "source", "", "sourcE"};

class Program
{
public:
    Program(const std::uint8_t *data, std::size_t size) : data(data), size(size) {}
    bool done() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::uint32_t word()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | byte();
        return v;
    }
    QByteArray bytes(std::size_t n)
    {
        n = std::min(n, size - std::min(at, size));
        const QByteArray b(reinterpret_cast<const char *>(data + at), int(n));
        at += n;
        return b;
    }

private:
    const std::uint8_t *data;
    std::size_t size;
    std::size_t at = 0;
};

template <typename T, std::size_t N> const T &pick(const T (&options)[N], std::uint8_t b)
{
    return options[b % N];
}

OscMessage message(Program &p)
{
    OscMessage m;
    m.path = pick(paths, p.byte());
    const int count = p.byte() % (maxArguments + 1);
    for (int a = 0; a < count; ++a) {
        OscArgument arg;
        switch (p.byte() % 4) {
        case 0:
            arg.type = 's';
            arg.s = pick(words, p.byte());
            break;
        case 1: {
            arg.type = 'i';
            arg.i = qint32(p.word());
            break;
        }
        case 2: {
            arg.type = 'f';
            const std::uint32_t bits = p.word();
            std::memcpy(&arg.f, &bits, sizeof arg.f);
            break;
        }
        default:
            arg.type = 'T';
            break;
        }
        m.args.push_back(arg);
    }
    return m;
}

void checkTargets(TuioTracker &tracker, qint64 nowMs)
{
    const QVector<SimTarget> targets = tracker.targets(nowMs);
    check(targets.size() <= wire::maxRecordsPerBlock);
    for (const SimTarget &t : targets) {
        check(std::isfinite(t.x) && std::isfinite(t.y));
        check(t.x >= 0.0f && t.x <= 1.0f && t.y >= 0.0f && t.y <= 1.0f);
    }
    check(tracker.sourceCount() <= TuioTracker::maxSources);
    const TuioTracker::Counts &c = tracker.counts();
    check(c.frames >= 0 && c.late >= 0 && c.restarts >= 0 && c.malformed >= 0 && c.refused >= 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static OscDecoder decoder;
    check(decoder.isValid());
    TuioTracker tracker({}, [](const QString &) {});
    Program p(data, size);
    qint64 nowMs = 0;
    while (!p.done()) {
        switch (p.byte() % 5) {
        case 0:
            tracker.bundle(pick(senders, p.byte()), nowMs);
            break;
        case 1: {
            const TuioTracker::Sender &from = pick(senders, p.byte());
            tracker.message(from, message(p), nowMs);
            break;
        }
        case 2:
            nowMs += qint64(p.byte()) * msPerTimeStep;
            break;
        case 3:
            checkTargets(tracker, nowMs);
            break;
        default: {
            const TuioTracker::Sender &from = pick(senders, p.byte());
            const QByteArray packet = p.bytes(p.byte());
            decoder.decode(packet, {[&] { tracker.bundle(from, nowMs); },
                                    [&](const OscMessage &m) { tracker.message(from, m, nowMs); }});
            break;
        }
        }
    }
    checkTargets(tracker, nowMs);
    return 0;
}
