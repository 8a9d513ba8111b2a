// SPDX-License-Identifier: MIT
// Three figures: the decode alone (BlockReceiver::receive, as Logic::readData
// runs it, on a block already buffered in a socket, timed by hand); the
// decoder on bytes in memory; and the whole road of a block (request written,
// block served, received and decoded through the socket's readyRead, as the
// client's event loop does it) in blocks per second.
#include "bench/wire_bench.h"

#include "bench/memoryconditions.h"

#include "bench/blockserver.h"
#include "net/blockreceiver.h"
#include "net/logic.h"
#include "net/wireformat.h"
#include "sim/blockencoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <memory>

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
const char *const bytesName = "wire/decode_bytes_6553";
const char *const roadName = "wire/request_to_decoded_6553";

bool serverListens(benchmark::State &state, const BlockServer &server)
{
    if (server.port() == 0)
        state.SkipWithError("the block server does not listen");
    return server.port() != 0;
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

// Runs the event loop until the block with this sequence number is shown.
bool waitForDecoded(const Logic &logic, quint32 sequence)
{
    const RadarState &shown = logic.state();
    QTimer limit;
    limit.setSingleShot(true);
    limit.start(waitTimeoutMs);
    while (shown.targetCount == 0 || shown.targets[0].x != float(sequence)) {
        if (!limit.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The records after the first must be the server's targets, exactly.
bool tableMatchesServer(const RadarState &shown)
{
    const QVector<SimTarget> sent = benchTargets(targetsPerBlock);
    if (shown.targetCount != targetsPerBlock)
        return false;
    for (int i = 1; i < targetsPerBlock; ++i) {
        const Target &t = shown.targets[i];
        if (t.x != sent[i].x || t.y != sent[i].y || t.value != float(sent[i].value))
            return false;
    }
    return true;
}

void benchDecode(benchmark::State &state)
{
    BlockServer server(targetsPerBlock);
    if (!serverListens(state, server))
        return;
    QTcpSocket socket;
    socket.connectToHost(loopback, server.port());
    if (!socket.waitForConnected(waitTimeoutMs)) {
        state.SkipWithError("cannot connect to the block server");
        return;
    }
    socket.setReadBufferSize(Logic::readBufferBytes);
    BlockReceiver receiver;
    auto shown = std::make_unique<RadarState>();

    quint32 sequence = 0;
    bool inStep = true;
    for (auto _ : state) {
        socket.write(&wire::requestByte, 1);
        socket.flush();
        ++sequence;
        // The first block is shorter (no ignored field); waiting for the
        // later size is enough for both because the first is decoded only
        // once its last byte is in.
        const qint64 expected =
            sequence == 1 ? laterBlockBytes - wire::ignoredFieldBytes : laterBlockBytes;
        if (!waitForBuffered(socket, expected)) {
            state.SkipWithError("no block arrived in time");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        receiver.receive(socket, shown->targets, RadarState::capacity, &shown->targetCount);
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        inStep = inStep && shown->targetCount == targetsPerBlock &&
                 shown->targets[0].x == float(sequence);
    }
    if (!inStep || !tableMatchesServer(*shown)) {
        state.SkipWithError("decoded records differ from those sent");
        return;
    }
    state.SetItemsProcessed(state.iterations());
}

void benchDecodeBytes(benchmark::State &state)
{
    BlockEncoder encoder;
    encoder.nextBlock({});
    const QByteArray block = encoder.nextBlock(benchTargets(targetsPerBlock));
    const auto *bytes = reinterpret_cast<const unsigned char *>(block.constData());
    auto shown = std::make_unique<RadarState>();
    BlockDecoder decoder;
    const unsigned char firstBlock[] = {0, wire::firstHeaderBytes, 0, 0};
    decoder.decode(firstBlock, sizeof firstBlock, shown->targets, RadarState::capacity,
                   &shown->targetCount);
    bool whole = true;
    for (auto _ : state) {
        const BlockDecoder::Result result =
            decoder.decode(bytes, std::size_t(block.size()), shown->targets, RadarState::capacity,
                           &shown->targetCount);
        whole = whole && result.consumed == std::size_t(block.size());
        benchmark::DoNotOptimize(shown->targets);
    }
    if (!whole || !tableMatchesServer(*shown)) {
        state.SkipWithError("decoded records differ from those encoded");
        return;
    }
    state.SetItemsProcessed(state.iterations());
}

void benchRoad(benchmark::State &state)
{
    BlockServer server(targetsPerBlock);
    Logic logic;
    if (!serverListens(state, server))
        return;
    if (!logic.connectToServer(loopback, server.port())) {
        state.SkipWithError("cannot connect to the block server");
        return;
    }
    quint32 sequence = 0;
    for (auto _ : state) {
        logic.advance(secondsPerRequest);
        if (!waitForDecoded(logic, ++sequence)) {
            state.SkipWithError("a block was not decoded in time");
            return;
        }
    }
    if (!tableMatchesServer(logic.state())) {
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
    benchmark::internal::Benchmark *bytes =
        benchmark::RegisterBenchmark(bytesName, benchDecodeBytes);
    bytes->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::internal::Benchmark *road = benchmark::RegisterBenchmark(roadName, benchRoad);
    // The server's thread works for the request too.
    road->Unit(benchmark::kMicrosecond)->UseRealTime()->MeasureProcessCPUTime();
    if (options.smoke) {
        decode->Iterations(10);
        bytes->Iterations(10);
        road->Iterations(10);
    }
}

void summarizeWire(const ResultStore &results, const BenchOptions &options, FigureTable &table)
{
    const double decode = results.seconds(decodeName);
    // Per block, and with the CPU time beside it where the timing covers
    // the CPU's work alone (the socket decode is timed by hand around it).
    const auto perBlock = [&results](const char *name, const char *cpuWhat) {
        const Measurement *m = results.find(name);
        if (!m)
            return std::string("not measured");
        std::string text =
            printed("%s per block; %.0f blocks/s", duration(m->seconds).c_str(), 1.0 / m->seconds);
        if (cpuWhat)
            text += printed(" (%s: %s per block)", cpuWhat, duration(m->cpuSeconds).c_str());
        return text;
    };
    table.figure(
        "Decode of one 6553-target block (65536 bytes, buffered in the socket), as Logic::readData",
        perBlock(decodeName, nullptr));
    table.figure("Decode of the same block from bytes in memory, BlockDecoder::decode",
                 perBlock(bytesName, "CPU"));
    table.figure("Request to decoded block over loopback (server on its own thread)",
                 perBlock(roadName, "CPU of both threads"));
    if (options.smoke)
        return;
    const std::string what = "Wire decode: time per 6553-target block, " + currentMemoryTitle();
    const std::string required = printed("<= %.0f us", maxDecodeSeconds * microsecondsPerSecond);
    if (decode <= 0)
        table.targetNotMeasured(what, required, "not run");
    else
        table.target(what, printed("%.1f us", decode * microsecondsPerSecond), required,
                     decode <= maxDecodeSeconds);
}
