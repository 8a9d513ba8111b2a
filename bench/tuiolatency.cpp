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
#include "tuioframe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <QUdpSocket>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int defaultSamples = 2000;
constexpr int startMs = 20000;
constexpr int readMs = 5000;
constexpr int trackerPeriodMs = 5; // between samples, like a 200 Hz tracker
constexpr int maxPollsPerSample = 10000;
constexpr qint32 cursor = 1;

struct Block
{
    bool ok = false;
    float x = -1.0f; // the first record's, -1 without one
};

class Client
{
public:
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(readMs);
    }

    Block request()
    {
        socket.write("\x02", 1);
        socket.flush();
        const QByteArray size = read(2);
        if (size.size() < 2)
            return {};
        const QByteArray body = read(qFromBigEndian<quint16>(size.constData()));
        const int header = first ? 2 : 4;
        first = false;
        Block block;
        block.ok = body.size() >= header;
        const int count = block.ok ? qFromBigEndian<quint16>(body.constData() + header - 2) : 0;
        if (count > 0 && body.size() >= header + 4) {
            const quint32 bits = qFromBigEndian<quint32>(body.constData() + header);
            std::memcpy(&block.x, &bits, sizeof block.x);
        }
        return block;
    }

private:
    QByteArray read(int n)
    {
        while (socket.bytesAvailable() < n && socket.waitForReadyRead(readMs)) {
        }
        return socket.read(n);
    }

    QTcpSocket socket;
    bool first = true;
};

quint16 portAfter(QProcess &p, const QByteArray &prefix)
{
    QElapsedTimer t;
    t.start();
    while (!p.canReadLine() && t.elapsed() < startMs)
        p.waitForReadyRead(startMs);
    const QByteArray line = p.readLine().trimmed();
    return line.startsWith(prefix) ? quint16(line.mid(prefix.size()).toUInt()) : 0;
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
    const int samples = argc > 2 ? std::max(1, atoi(argv[2])) : defaultSamples;

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(argv[1], {"--tuio", "0", "--tuio-address", "127.0.0.1", "--tuio-timeout", "600000",
                        "--address", "127.0.0.1", "--port", "0"});
    const quint16 tcp = portAfter(sim, "radarsim: listening on port ");
    const quint16 udp = portAfter(sim, "radarsim: TUIO on UDP port ");
    Client client;
    if (tcp == 0 || udp == 0 || !client.connectTo(tcp)) {
        std::fprintf(stderr, "radar_tuio_latency: cannot start %s as a TUIO bridge\n", argv[1]);
        return 1;
    }
    QUdpSocket tracker;

    std::vector<double> bundleToBlock, roundTrip;
    QElapsedTimer clock;
    for (int i = 1; i <= samples; ++i) {
        const float x = float(i % 1000) / 1000.0f;
        const QByteArray bundle = tuioBundle({"/tuio/2Dcur", {}, {cursor}, {{cursor, x, 0.5f}}, i});
        clock.start();
        tracker.writeDatagram(bundle, QHostAddress::LocalHost, udp);
        Block block;
        int polls = 0;
        do
            block = client.request();
        while (block.ok && block.x != x && ++polls < maxPollsPerSample);
        if (!block.ok || block.x != x) {
            std::fprintf(stderr, "radar_tuio_latency: sample %d never arrived\n", i);
            return 1;
        }
        bundleToBlock.push_back(double(clock.nsecsElapsed()) / 1000.0);

        // The same way back once more, with nothing new to serve.
        clock.start();
        if (!client.request().ok)
            return 1;
        roundTrip.push_back(double(clock.nsecsElapsed()) / 1000.0);
        QThread::msleep(trackerPeriodMs);
    }
    sim.terminate();
    sim.waitForFinished(startMs);

    QFile load("/proc/loadavg");
    load.open(QIODevice::ReadOnly);
    std::printf("machine: %d cores, load %s", QThread::idealThreadCount(),
                load.readLine().constData());
    report("bundle to served block", bundleToBlock);
    report("request round trip (floor)", roundTrip);
    return 0;
}
