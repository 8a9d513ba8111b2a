// SPDX-License-Identifier: MIT
#include "faultserver.h"

#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

const int FaultServer::acceptedHoldMs;

namespace {
const int pollMs = 5;        // how soon the thread sees new work
const int readChunk = 65536; // bytes per read from the client
} // namespace

FaultServer::FaultServer(OnAccept onAccept) : onAccept(onAccept)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(fd, 1) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    listener = fd;
    boundPort = ntohs(address.sin_port);
    thread = std::thread([this] { serve(); });
}

FaultServer::~FaultServer()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    if (client >= 0)
        ::close(client);
    if (listener >= 0)
        ::close(listener);
}

bool FaultServer::waitForClient(int timeoutMs)
{
    return QTest::qWaitFor([&] { return accepted.load(); }, timeoutMs);
}

void FaultServer::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    std::lock_guard<std::mutex> guard(lock);
    queue.push_back(bytes);
    queueEmpty = false;
}

bool FaultServer::waitForSent(int timeoutMs)
{
    return QTest::qWaitFor([&] { return queueEmpty.load(); }, timeoutMs);
}

void FaultServer::close()
{
    std::lock_guard<std::mutex> guard(lock);
    ending = Ending::close;
}

void FaultServer::reset()
{
    std::lock_guard<std::mutex> guard(lock);
    ending = Ending::reset;
}

void FaultServer::startFlood(const QByteArray &unit)
{
    std::lock_guard<std::mutex> guard(lock);
    floodUnit = unit;
    floodOffset = 0;
    flooding = !unit.isEmpty();
}

void FaultServer::stopFlood()
{
    std::lock_guard<std::mutex> guard(lock);
    flooding = false;
}

QByteArray FaultServer::received() const
{
    std::lock_guard<std::mutex> guard(lock);
    return data;
}

bool FaultServer::waitForReceived(int byteCount, int timeoutMs)
{
    return QTest::qWaitFor([&] { return receivedBytes.load() >= byteCount; }, timeoutMs);
}

void FaultServer::serve()
{
    while (!stopping) {
        if (client < 0 && !accepted)
            acceptClient();
        else if (client >= 0)
            exchange();
        else
            ::usleep(pollMs * 1000);
    }
}

void FaultServer::acceptClient()
{
    pollfd waiting = {listener, POLLIN, 0};
    if (::poll(&waiting, 1, pollMs) <= 0)
        return;
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    client = fd;
    if (onAccept != OnAccept::keep) {
        endNotBefore = std::chrono::steady_clock::now() + std::chrono::milliseconds(acceptedHoldMs);
        std::lock_guard<std::mutex> guard(lock);
        ending = onAccept == OnAccept::close ? Ending::close : Ending::reset;
    }
    accepted = true;
}

void FaultServer::exchange()
{
    bool wantWrite = false;
    Ending requested = Ending::none;
    {
        std::lock_guard<std::mutex> guard(lock);
        wantWrite = !queue.empty() || flooding || floodOffset > 0;
        requested = queue.empty() ? ending : Ending::none;
    }
    if (requested != Ending::none && std::chrono::steady_clock::now() >= endNotBefore) {
        endConnection(requested);
        return;
    }

    if (peerClosed && !wantWrite) {
        ::usleep(pollMs * 1000);
        return;
    }
    pollfd ready = {client, short(peerClosed ? 0 : POLLIN), 0};
    if (wantWrite)
        ready.events |= POLLOUT;
    if (::poll(&ready, 1, pollMs) <= 0)
        return;
    if (!peerClosed && (ready.revents & (POLLIN | POLLHUP | POLLERR))) {
        char buffer[readChunk];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            std::lock_guard<std::mutex> guard(lock);
            data.append(buffer, int(n));
            receivedBytes += int(n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            peerClosed = true;
        }
    }
    if ((ready.revents & (POLLOUT | POLLERR | POLLHUP)) && wantWrite && !writeSome())
        endConnection(Ending::close); // the client has gone; nothing more to write
}

// Writes from the queue, or else from the flood, until the kernel takes no
// more; a flood unit once begun is finished first. False when the
// connection is broken.
bool FaultServer::writeSome()
{
    std::lock_guard<std::mutex> guard(lock);
    for (;;) {
        const QByteArray *source = nullptr;
        int *offset = nullptr;
        if (!queue.empty() && floodOffset == 0) {
            source = &queue.front();
            offset = &queueOffset;
        } else if (flooding || floodOffset > 0) {
            source = &floodUnit;
            offset = &floodOffset;
        } else {
            queueEmpty = true;
            return true;
        }
        const ssize_t n = ::send(client, source->constData() + *offset,
                                 std::size_t(source->size() - *offset), MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EINTR;
        if (source == &floodUnit)
            flooded += n;
        *offset += int(n);
        if (*offset < source->size())
            continue;
        *offset = 0;
        if (source != &floodUnit)
            queue.pop_front();
        if (queue.empty())
            queueEmpty = true;
    }
}

void FaultServer::endConnection(Ending how)
{
    if (how == Ending::reset) {
        // Linger on, with a time of 0: close() discards what is unsent and
        // sends an RST instead of a FIN.
        const linger abortive = {1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    ::close(client);
    client = -1;
    std::lock_guard<std::mutex> guard(lock);
    ending = Ending::none;
    queue.clear();
    queueEmpty = true;
    flooding = false;
}
