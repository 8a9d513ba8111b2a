// SPDX-License-Identifier: MIT
#include "sim/simserver.h"

#include "sim/replysource.h"
#include "sim/simconnection.h"

namespace {
constexpr double msPerSecond = 1000.0;
}

SimServer::SimServer(TargetSource &source, const FaultPlan &faults, QObject *parent)
    : SimServer(ReplyFactory{}, faults, parent)
{
    makeReplies = [this, &source] {
        return std::make_unique<EncodedReplies>(
            source, [this] { return seconds(); }, this->faults.overcount);
    };
}

SimServer::SimServer(ReplyFactory makeReplies, const FaultPlan &faults, QObject *parent)
    : ServerBase(parent), makeReplies(std::move(makeReplies)), faults(faults)
{
    clock.start();
}

double SimServer::seconds() const
{
    return double(clock.elapsed()) / msPerSecond;
}

ServerConnection *SimServer::connectionFor(QTcpSocket *socket)
{
    return new SimConnection(socket, makeReplies(), faults, this);
}
