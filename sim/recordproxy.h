// radarsim --record: a server that stands between clients and a real
// upstream server. Each client gets its own upstream connection and both
// directions are forwarded unchanged; the first client's reply blocks are
// recorded, later clients are only forwarded.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

class ProxyConnection;
class QTcpServer;
class RecordingWriter;

class RecordProxy : public QObject
{
    Q_OBJECT

public:
    // `writer` (open) must outlive the proxy.
    RecordProxy(const QString &upstreamHost, quint16 upstreamPort, RecordingWriter &writer,
                QObject *parent = nullptr);
    ~RecordProxy() override;

    // As SimServer::listen.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QString errorString() const;

    int connectionCount() const { return connections; }

private slots:
    void acceptConnections();
    void connectionFinished(ProxyConnection *connection);

private:
    QString upstreamHost;
    quint16 upstreamPort;
    RecordingWriter &writer;
    QTcpServer *server;
    int connections = 0;
    bool recorded = false; // the first client has been given the writer
};
