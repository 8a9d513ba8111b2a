// SPDX-License-Identifier: MIT
// radarsim --record: a server that stands between clients and a real
// upstream server. Each client gets its own upstream connection and both
// directions are forwarded unchanged; the first client's reply blocks are
// recorded, later clients are only forwarded.
//
// An upstream that is the recorder itself would have every connection open
// the next one until resources run out: the recorder refuses to serve when
// the upstream is its own listening address and port, and, for a loop it
// cannot see (through another recorder or proxy), takes at most
// maxConnections clients at once, closing the rest (serverbase.h); the
// loop's chain of connections then closes end to end.
#pragma once

#include "sim/serverbase.h"

#include <QHostAddress>
#include <QString>

class RecordingWriter;

class RecordProxy : public ServerBase
{
    Q_OBJECT

public:
    static constexpr int maxConnections = 32;

    // `writer` (open) must outlive the proxy.
    RecordProxy(const QString &upstreamHost, quint16 upstreamPort, RecordingWriter &writer,
                QObject *parent = nullptr);

    // Set when the upstream is this recorder's own listening port.
    QString refusal() const override;

protected:
    ServerConnection *connectionFor(QTcpSocket *socket) override;

private:
    QString upstreamHost;
    quint16 upstreamPort;
    RecordingWriter &writer;
    bool recorded = false; // the first client has been given the writer
};

// True when connecting to `host`:`port` would reach a server of this machine
// listening on `address`:`listeningPort`: the ports agree, and an address
// `host` resolves to is `address`, or, for a server listening on every
// address of its family, one of this machine's own. A name is resolved at
// once, waiting for the resolver; a name that does not resolve reaches
// nothing.
bool reachesListener(const QString &host, quint16 port, const QHostAddress &address,
                     quint16 listeningPort);
