// radarsim --record: a server that stands between clients and a real
// upstream server. Each client gets its own upstream connection and both
// directions are forwarded unchanged; the first client's reply blocks are
// recorded, later clients are only forwarded.
#pragma once

#include "sim/serverbase.h"

#include <QString>

class RecordingWriter;

class RecordProxy : public ServerBase
{
    Q_OBJECT

public:
    // `writer` (open) must outlive the proxy.
    RecordProxy(const QString &upstreamHost, quint16 upstreamPort, RecordingWriter &writer,
                QObject *parent = nullptr);

protected:
    ServerConnection *connectionFor(QTcpSocket *socket) override;

private:
    QString upstreamHost;
    quint16 upstreamPort;
    RecordingWriter &writer;
    bool recorded = false; // the first client has been given the writer
};
