// SPDX-License-Identifier: MIT
// A plain socket client on loopback, for speaking to a server byte by byte,
// and the big-endian fields it reads.
#pragma once

#include <QByteArray>
#include <QTcpSocket>

constexpr int simReadMs = 20000; // generous: bytes from a loaded machine come late

struct LoopbackClient
{
    QTcpSocket socket;

    bool connectTo(quint16 port);
    void send(const QByteArray &bytes);
    // Up to `n` bytes, waiting at most simReadMs for them.
    QByteArray read(qint64 n);
    // Nothing arrives within `ms`.
    bool quiet(int ms = 300);
    // The server closes the connection within simReadMs.
    bool closedByServer();
};

quint16 u16At(const QByteArray &b, int at);
float f32At(const QByteArray &b, int at);
