// SPDX-License-Identifier: MIT
// One client of the recorder: forwards its bytes to the upstream server and
// the server's bytes back, unchanged, and, if given a writer, records every
// block the server sends (cut by its size field) with the time its last byte
// arrived, in microseconds after this connection was accepted.
//
// When either side closes, the other gets what is still queued for it and is
// closed too. An upstream that cannot be reached closes the client.
// Logs as every server connection does (serverbase.h); the closing line
// counts the blocks forwarded.
#pragma once

#include "sim/blockframer.h"
#include "sim/serverbase.h"

#include <QElapsedTimer>
#include <QString>

class QTcpSocket;
class QTimer;
class RecordingWriter;

// While more than maxPendingBytes wait for a side, what the other side sends
// is left unread; a side that then takes nothing for closeGraceMs has both
// sides dropped.
class ProxyConnection : public ServerConnection
{
    Q_OBJECT

public:
    // Takes ownership of `client` (connected) and starts connecting to the
    // upstream server. `writer` (null: not recorded) must outlive this.
    ProxyConnection(QTcpSocket *client, const QString &upstreamHost, quint16 upstreamPort,
                    RecordingWriter *writer, QObject *parent = nullptr);

    qint64 blocksForwarded() const { return blocks; }

private slots:
    void upstreamConnected();
    void fromClient();
    void fromUpstream();
    void upstreamFailed();
    void sideClosed();
    void giveUp();

protected:
    void stalled(const QTcpSocket *side) override;

private:
    QTcpSocket *upstream;
    QTimer *closeTimer;
    RecordingWriter *writer;
    BlockFramer framer;
    QElapsedTimer age;
    QString upstreamName;
    qint64 blocks = 0;
    bool upstreamReached = false;
    bool closing = false;
    bool done = false;
};
