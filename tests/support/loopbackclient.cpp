// SPDX-License-Identifier: MIT
#include "loopbackclient.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QtEndian>

#include <cstring>

namespace {
constexpr int pollMs = 50;
}

bool LoopbackClient::connectTo(quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(simReadMs);
}

void LoopbackClient::send(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

QByteArray LoopbackClient::read(qint64 n)
{
    QElapsedTimer timer;
    timer.start();
    while (socket.bytesAvailable() < n && timer.elapsed() < simReadMs &&
           socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForReadyRead(pollMs);
    return socket.read(n);
}

bool LoopbackClient::quiet(int ms)
{
    return socket.bytesAvailable() == 0 && !socket.waitForReadyRead(ms);
}

bool LoopbackClient::closedByServer()
{
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < simReadMs)
        socket.waitForReadyRead(pollMs);
    return socket.state() != QAbstractSocket::ConnectedState;
}

quint16 u16At(const QByteArray &b, int at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}

float f32At(const QByteArray &b, int at)
{
    const quint32 bits = qFromBigEndian<quint32>(b.constData() + at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
