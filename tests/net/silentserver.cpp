// SPDX-License-Identifier: MIT
#include "silentserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in loopback(quint16 port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}
} // namespace

SilentServer::SilentServer()
{
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(listener, 0) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return;
    boundPort = ntohs(address.sin_port);
    const int candidate = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in target = loopback(boundPort);
    if (candidate >= 0 &&
        ::connect(candidate, reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0)
        filler = candidate;
    else if (candidate >= 0)
        ::close(candidate);
}

SilentServer::~SilentServer()
{
    if (filler >= 0)
        ::close(filler);
    if (listener >= 0)
        ::close(listener);
}
