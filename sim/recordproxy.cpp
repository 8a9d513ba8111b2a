// SPDX-License-Identifier: MIT
#include "sim/recordproxy.h"

#include "net/hostport.h"
#include "sim/proxyconnection.h"

#include <QHostInfo>
#include <QNetworkInterface>

namespace {

bool isAnyAddress(const QHostAddress &a)
{
    return a.protocol() == QAbstractSocket::AnyIPProtocol ||
           a == QHostAddress(QHostAddress::AnyIPv4) || a == QHostAddress(QHostAddress::AnyIPv6);
}

// True when a connection to `upstream` reaches a server of this machine that
// listens on `listening`.
bool sameMachineAddress(QHostAddress upstream, const QHostAddress &listening)
{
    bool v4 = false;
    if (const quint32 mapped = upstream.toIPv4Address(&v4); v4)
        upstream = QHostAddress(mapped);
    const bool anyOfFamily =
        isAnyAddress(listening) && (listening.protocol() == QAbstractSocket::AnyIPProtocol ||
                                    listening.protocol() == upstream.protocol());
    if (!anyOfFamily)
        return upstream == listening;
    // Connecting to the any-address reaches this machine, too.
    return upstream.isLoopback() || isAnyAddress(upstream) ||
           QNetworkInterface::allAddresses().contains(upstream);
}

} // namespace

bool reachesListener(const QString &host, quint16 port, const QHostAddress &address,
                     quint16 listeningPort)
{
    if (port != listeningPort)
        return false;
    for (const QHostAddress &upstream : QHostInfo::fromName(host).addresses())
        if (sameMachineAddress(upstream, address))
            return true;
    return false;
}

RecordProxy::RecordProxy(const QString &upstreamHost, quint16 upstreamPort, RecordingWriter &writer,
                         QObject *parent)
    : ServerBase(parent), upstreamHost(upstreamHost), upstreamPort(upstreamPort), writer(writer)
{
    limitConnections(maxConnections,
                     "does --upstream lead back to this recorder through another server?");
}

QString RecordProxy::refusal() const
{
    if (!reachesListener(upstreamHost, upstreamPort, address(), port()))
        return {};
    return QString("--upstream %1 is this recorder itself, listening on port %2: it would "
                   "forward every client to itself")
        .arg(formatHostPort(upstreamHost, upstreamPort))
        .arg(port());
}

ServerConnection *RecordProxy::connectionFor(QTcpSocket *socket)
{
    auto *connection =
        new ProxyConnection(socket, upstreamHost, upstreamPort, recorded ? nullptr : &writer, this);
    recorded = true;
    return connection;
}
