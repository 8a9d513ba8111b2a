// SPDX-License-Identifier: MIT
// A listening port on 127.0.0.1 that never completes a connection: its
// backlog is full, so the kernel drops new connection requests and a client
// waits for its own timeout, as with a server that does not answer.
#pragma once

#include <QtGlobal>

class SilentServer
{
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    bool isReady() const { return filler >= 0; }
    quint16 port() const { return boundPort; }

private:
    int listener = -1;
    int filler = -1; // the one connection that fills the backlog
    quint16 boundPort = 0;
};
