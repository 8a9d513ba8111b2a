// SPDX-License-Identifier: MIT
// A TCP server on 127.0.0.1 that misbehaves on purpose. It accepts one
// client and then does what the test asks - write bytes (a block cut short,
// garbage, a lying size field), close, reset, or flood the client with
// blocks it never asked for - on a thread of its own, so it keeps serving
// while the test thread waits for a process or sits in a blocking call.
// It never answers requests by itself; it only counts them.
//
// Calls from the test thread only queue work; the server thread picks it up
// within a few milliseconds. The waits process Qt events, so a client in
// the test's own process keeps running, and are bounded in time.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

class FaultServer
{
public:
    static const int defaultWaitMs = 10000;

    // What happens once the client is accepted.
    enum class OnAccept {
        keep,  // hold the connection, read what the client sends
        close, // close it right away (an orderly FIN)
        reset  // reset it right away (SO_LINGER 0: an RST, no FIN)
    };
    // "Right away" is this long after accepting. Within microseconds the
    // close would race the client's own check that its connection attempt
    // has completed, and could look to it like a refused connection.
    static const int acceptedHoldMs = 50;

    explicit FaultServer(OnAccept onAccept = OnAccept::keep);
    ~FaultServer();
    FaultServer(const FaultServer &) = delete;
    FaultServer &operator=(const FaultServer &) = delete;

    bool isListening() const { return listener >= 0; }
    quint16 port() const { return boundPort; }

    bool waitForClient(int timeoutMs = defaultWaitMs);

    // Writes the bytes after everything queued before, as fast as the
    // client takes them.
    void send(const QByteArray &bytes);
    // True once everything queued has been handed to the kernel.
    bool waitForSent(int timeoutMs = defaultWaitMs);

    // After the queued bytes: close the connection with a FIN, or reset it.
    void close();
    void reset();

    // Writes unit again and again, after the queued bytes, until stopFlood;
    // the unit being written when it stops, or when bytes are queued, is
    // finished first, so the stream stays whole units.
    void startFlood(const QByteArray &unit);
    void stopFlood();
    // Bytes of flood handed to the kernel so far.
    qint64 floodBytes() const { return flooded; }

    // Everything the client has sent, and whether it has closed its end.
    QByteArray received() const;
    int receivedCount() const { return receivedBytes; }
    bool waitForReceived(int byteCount, int timeoutMs = defaultWaitMs);
    bool clientHasClosed() const { return peerClosed; }

private:
    enum class Ending { none, close, reset };

    void serve();
    void acceptClient();
    void exchange();
    void endConnection(Ending how);
    bool writeSome();

    OnAccept onAccept;
    int listener = -1;
    int client = -1; // the server thread's alone
    quint16 boundPort = 0;

    std::chrono::steady_clock::time_point endNotBefore; // the server thread's alone

    mutable std::mutex lock; // guards what follows, up to the atomics
    std::deque<QByteArray> queue;
    int queueOffset = 0; // bytes of queue.front() already written
    QByteArray floodUnit;
    int floodOffset = 0;
    bool flooding = false;
    Ending ending = Ending::none;
    QByteArray data;

    std::atomic<bool> accepted{false};
    std::atomic<bool> queueEmpty{true};
    std::atomic<bool> peerClosed{false};
    std::atomic<int> receivedBytes{0};
    std::atomic<qint64> flooded{0};
    std::atomic<bool> stopping{false};
    std::thread thread;
};
