// SPDX-License-Identifier: MIT
// radar_tuio_latency: how long a TUIO bundle takes to reach a served block.
// Starts the real radarsim as a TUIO bridge on loopback, and for each sample
// sends one bundle that moves a cursor, then asks for blocks back to back
// until one shows the cursor where the bundle put it. The time from sending
// the bundle to that block's arrival is the sample; an unchanged block's
// round trip is measured alike, as the floor every sample stands on.
//
//   radar_tuio_latency RADARSIM [SAMPLES]
//
// Prints the median, p99 and maximum of both, in microseconds, with the
// machine's core count and load, which move them.
#include "loopbackclient.h"
#include "radarsimprocess.h"
#include "tuioframe.h"

#include "net/wireformat.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int defaultSamples = 2000;
constexpr int trackerPeriodMs = 5; // between samples, like a 200 Hz tracker
constexpr int maxPollsPerSample = 10000;
constexpr qint32 cursor = 1;

struct Block
{
    bool ok = false;
    float x = -1.0f; // the first record's, -1 without one
};

// One request and its block, the first in the first layout.
Block request(LoopbackClient &client, bool first)
{
    client.send(QByteArray(1, wire::requestByte));
    const QByteArray size = client.read(wire::sizeFieldBytes);
    if (size.size() < wire::sizeFieldBytes)
        return {};
    const QByteArray body = client.read(u16At(size, 0));
    const int header = first ? wire::firstHeaderBytes : wire::laterHeaderBytes;
    Block block;
    block.ok = body.size() >= header;
    const int count = block.ok ? u16At(body, header - wire::countFieldBytes) : 0;
    if (count > 0 && body.size() >= header + wire::recordBytes)
        block.x = f32At(body, header + wire::recordXOffset);
    return block;
}

void report(const char *what, std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[std::min(us.size() - 1, size_t(q * double(us.size())))]; };
    std::printf("%-28s median %8.1f us   p99 %8.1f us   max %8.1f us   (%zu samples)\n", what,
                at(0.5), at(0.99), us.back(), us.size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: radar_tuio_latency RADARSIM [SAMPLES]\n");
        return 2;
    }
    const int samples = argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultSamples;

    RadarSimProcess sim(QString::fromLocal8Bit(argv[1]));
    sim.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    LoopbackClient client;
    const bool started =
        sim.start({"--tuio", "0", "--tuio-address", "127.0.0.1", "--tuio-timeout", "600000"});
    const quint16 udp = started ? sim.readTuioPort() : 0;
    if (udp == 0 || !client.connectTo(sim.port)) {
        std::fprintf(stderr, "radar_tuio_latency: cannot start %s as a TUIO bridge\n", argv[1]);
        return 1;
    }
    QUdpSocket tracker;

    std::vector<double> bundleToBlock, roundTrip;
    QElapsedTimer clock;
    bool first = true;
    for (int i = 1; i <= samples; ++i) {
        const float x = float(i % 1000) / 1000.0f;
        const QByteArray bundle = tuioBundle({"/tuio/2Dcur", {}, {cursor}, {{cursor, x, 0.5f}}, i});
        clock.start();
        tracker.writeDatagram(bundle, QHostAddress::LocalHost, udp);
        Block block;
        int polls = 0;
        do {
            block = request(client, first);
            first = false;
        } while (block.ok && block.x != x && ++polls < maxPollsPerSample);
        if (!block.ok || block.x != x) {
            std::fprintf(stderr, "radar_tuio_latency: sample %d never arrived\n", i);
            return 1;
        }
        bundleToBlock.push_back(double(clock.nsecsElapsed()) / 1000.0);

        // The same way back once more, with nothing new to serve.
        clock.start();
        if (!request(client, false).ok)
            return 1;
        roundTrip.push_back(double(clock.nsecsElapsed()) / 1000.0);
        QThread::msleep(trackerPeriodMs);
    }
    sim.stop();

    QFile load("/proc/loadavg");
    load.open(QIODevice::ReadOnly);
    std::printf("machine: %d cores, load %s", QThread::idealThreadCount(),
                load.readLine().constData());
    report("bundle to served block", bundleToBlock);
    report("request round trip (floor)", roundTrip);
    return 0;
}
