// Two figures: the decode alone (Logic::readData on a block that is already
// buffered in the socket, timed by hand), and the whole road of a block
// (request written, block served, received and decoded through the
// socket's readyRead, as the client's event loop does it) in blocks per
// second.
#include "bench/wire_bench.h"

#include "bench/blockserver.h"
#include "net/logic.h"
#include "net/wireformat.h"
#include "sim/blockencoder.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <chrono>

// Declared a friend by Logic for tests and benchmarks.
class LogicTestAccess
{
public:
    static QTcpSocket &socket(Logic &logic) { return logic.socket; }
    static void readData(Logic &logic) { logic.readData(); }
};

namespace {

const int targetsPerBlock = wire::maxRecordsPerBlock;
const int laterBlockBytes =
    wire::sizeFieldBytes + wire::sizeFieldFor(false, wire::maxRecordsPerBlock);
const double secondsPerRequest = 0.05; // above the client's 0.04 s pacing: one request per call
const int waitTimeoutMs = 5000;
const double maxDecodeSeconds = 100e-6;
const double microsecondsPerSecond = 1e6;
const char *const loopback = "127.0.0.1";
const char *const decodeName = "wire/decode_6553";
const char *const roadName = "wire/request_to_decoded_6553";

// Connects a Logic to the server; false with an error set on the state.
bool connectLogic(benchmark::State &state, const BlockServer &server, Logic &logic)
{
    if (server.port() == 0) {
        state.SkipWithError("the block server does not listen");
        return false;
    }
    if (!logic.connectToServer(loopback, server.port())) {
        state.SkipWithError("cannot connect to the block server");
        return false;
    }
    return true;
}

// Waits until at least `bytes` are buffered, without decoding anything.
bool waitForBuffered(QTcpSocket &socket, qint64 bytes)
{
    QElapsedTimer clock;
    clock.start();
    while (socket.bytesAvailable() < bytes) {
        const int left = waitTimeoutMs - int(clock.elapsed());
        if (left <= 0 || !socket.waitForReadyRead(left))
            return socket.bytesAvailable() >= bytes;
    }
    return true;
}

// Waits until the block with this sequence number has been decoded.
bool waitForDecoded(Logic &logic, QTcpSocket &socket, quint32 sequence)
{
    QElapsedTimer clock;
    clock.start();
    while (logic.targetCount() == 0 || logic.target(0)->x != float(sequence)) {
        const int left = waitTimeoutMs - int(clock.elapsed());
        // waitForReadyRead emits readyRead, which runs Logic::readData.
        if (left <= 0 || !socket.waitForReadyRead(left))
            return false;
    }
    return true;
}

// The records after the first must be the server's targets, exactly.
bool tableMatchesServer(Logic &logic)
{
    const QVector<SimTarget> sent = benchTargets(targetsPerBlock);
    if (logic.targetCount() != targetsPerBlock)
        return false;
    for (int i = 1; i < targetsPerBlock; ++i) {
        const Target *t = logic.target(i);
        if (t->x != sent[i].x || t->y != sent[i].y || t->value != float(sent[i].value))
            return false;
    }
    return true;
}

void benchDecode(benchmark::State &state)
{
    BlockServer server(targetsPerBlock);
    Logic logic;
    if (!connectLogic(state, server, logic))
        return;
    QTcpSocket &socket = LogicTestAccess::socket(logic);
    // Decoding is called by hand, once the whole block is buffered.
    QObject::disconnect(&socket, SIGNAL(readyRead()), &logic, SLOT(readData()));

    quint32 sequence = 0;
    bool inStep = true;
    for (auto _ : state) {
        logic.advance(secondsPerRequest);
        ++sequence;
        // The first block is 2 bytes shorter (no ignored field); waiting for
        // the later size is enough for both because the first is decoded
        // only once its last byte is in.
        const qint64 expected = sequence == 1 ? laterBlockBytes - 2 : laterBlockBytes;
        if (!waitForBuffered(socket, expected)) {
            state.SkipWithError("no block arrived in time");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        LogicTestAccess::readData(logic);
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        inStep = inStep && logic.targetCount() == targetsPerBlock &&
                 logic.target(0)->x == float(sequence);
    }
    if (!inStep || !tableMatchesServer(logic)) {
        state.SkipWithError("decoded records differ from those sent");
        return;
    }
    state.SetItemsProcessed(state.iterations());
}

void benchRoad(benchmark::State &state)
{
    BlockServer server(targetsPerBlock);
    Logic logic;
    if (!connectLogic(state, server, logic))
        return;
    QTcpSocket &socket = LogicTestAccess::socket(logic);
    quint32 sequence = 0;
    for (auto _ : state) {
        logic.advance(secondsPerRequest);
        if (!waitForDecoded(logic, socket, ++sequence)) {
            state.SkipWithError("a block was not decoded in time");
            return;
        }
    }
    if (!tableMatchesServer(logic)) {
        state.SkipWithError("decoded records differ from those sent");
        return;
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

void registerWireBenchmarks(const BenchOptions &options)
{
    benchmark::internal::Benchmark *decode = benchmark::RegisterBenchmark(decodeName, benchDecode);
    decode->Unit(benchmark::kMicrosecond)->UseManualTime();
    benchmark::internal::Benchmark *road = benchmark::RegisterBenchmark(roadName, benchRoad);
    road->Unit(benchmark::kMicrosecond)->UseRealTime();
    if (options.smoke) {
        decode->Iterations(10);
        road->Iterations(10);
    }
}

void summarizeWire(const ResultCollector &results, const BenchOptions &options, FigureTable &table)
{
    const double decode = results.seconds(decodeName);
    const double road = results.seconds(roadName);
    table.figure(
        "Decode of one 6553-target block (65536 bytes, buffered), Logic::readData",
        decode > 0 ? printed("%s per block; %.0f blocks/s", duration(decode).c_str(), 1.0 / decode)
                   : std::string("not measured"));
    table.figure("Request to decoded block over loopback (server on its own thread)",
                 road > 0
                     ? printed("%s per block; %.0f blocks/s", duration(road).c_str(), 1.0 / road)
                     : std::string("not measured"));
    if (options.smoke)
        return;
    const std::string what = "Wire decode: time per 6553-target block";
    const std::string required = printed("<= %.0f us", maxDecodeSeconds * microsecondsPerSecond);
    if (decode <= 0)
        table.targetNotMeasured(what, required, "not run");
    else
        table.target(what, printed("%.1f us", decode * microsecondsPerSecond), required,
                     decode <= maxDecodeSeconds);
}
