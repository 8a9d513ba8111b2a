// SPDX-License-Identifier: MIT
// The ways a server can go away under the client, shared by the in-process
// window tests and the real-binary tests: each must end in exactly one
// "Server-connection lost!" box and status 0.
#pragma once

#include "faultserver.h"
#include "wireblocks.h"

#include <QVector>

#include <ostream>

struct ServerLoss
{
    const char *name;
    FaultServer::OnAccept onAccept;
    // What the server does once the client has asked for a block, if the
    // connection lives that long; null for none.
    void (*afterFirstRequest)(FaultServer &server);
};

inline void closeMidBlock(FaultServer &server)
{
    const QByteArray block = firstBlock(distinctRecords(100));
    server.send(block.left(block.size() / 2));
    server.close();
}

inline void resetConnection(FaultServer &server)
{
    server.reset();
}

inline QVector<ServerLoss> serverLosses()
{
    return {{"closedRightAfterAccepting", FaultServer::OnAccept::close, nullptr},
            {"resetRightAfterAccepting", FaultServer::OnAccept::reset, nullptr},
            {"closedMidBlock", FaultServer::OnAccept::keep, closeMidBlock},
            {"resetWhileRunning", FaultServer::OnAccept::keep, resetConnection}};
}

inline void PrintTo(const ServerLoss &loss, std::ostream *out)
{
    *out << loss.name;
}
