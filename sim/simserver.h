// The simulator's TCP server: accepts any number of clients and serves each
// from the same target source and clock.
#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpServer;
class SimConnection;
class TargetSource;

class SimServer : public QObject
{
    Q_OBJECT

public:
    // `source` must outlive the server. The clock starts now.
    explicit SimServer(TargetSource &source, QObject *parent = nullptr);
    ~SimServer() override;

    // Starts listening; port 0 picks a free one. False with errorString()
    // set when the port cannot be opened.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QString errorString() const;

    int connectionCount() const { return connections; }

private slots:
    void acceptConnections();
    void connectionFinished(SimConnection *connection);

private:
    TargetSource &source;
    QTcpServer *server;
    QElapsedTimer clock;
    int connections = 0;
};
