#include "sim/recordproxy.h"

#include "sim/proxyconnection.h"

RecordProxy::RecordProxy(const QString &upstreamHost, quint16 upstreamPort, RecordingWriter &writer,
                         QObject *parent)
    : ServerBase(parent), upstreamHost(upstreamHost), upstreamPort(upstreamPort), writer(writer)
{
}

ServerConnection *RecordProxy::connectionFor(QTcpSocket *socket)
{
    auto *connection =
        new ProxyConnection(socket, upstreamHost, upstreamPort, recorded ? nullptr : &writer, this);
    recorded = true;
    return connection;
}
