// SPDX-License-Identifier: MIT
// The simulator's TCP server: accepts any number of clients and gives each
// its own connection with its own reply source.
#pragma once

#include "sim/faults.h"
#include "sim/serverbase.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

class ReplySource;
class TargetSource;

class SimServer : public ServerBase
{
    Q_OBJECT

public:
    // Makes the reply source of one new connection.
    using ReplyFactory = std::function<std::unique_ptr<ReplySource>()>;

    // Every connection encodes `source`'s frames on the server's clock, which
    // starts now. `source` must outlive the server. `faults` apply to every
    // connection, the overcount included.
    explicit SimServer(TargetSource &source, const FaultPlan &faults = {},
                       QObject *parent = nullptr);
    // Every connection takes its replies from a source `makeReplies` makes;
    // the overcount of `faults` is the factory's business.
    SimServer(ReplyFactory makeReplies, const FaultPlan &faults, QObject *parent = nullptr);

    // Seconds since the server was made.
    double seconds() const;

protected:
    ServerConnection *connectionFor(QTcpSocket *socket) override;

private:
    ReplyFactory makeReplies;
    FaultPlan faults;
    QElapsedTimer clock;
};
