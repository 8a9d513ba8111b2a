// SPDX-License-Identifier: MIT
#include "net/logic.h"

#include "net/hostport.h"
#include "net/wireformat.h"

#include <cmath>

namespace {
const int connectTimeoutMs = 1000;
const float requestIntervalSeconds = 0.04f;
const double sweepDegreesPerSecond = 80.0;
const double fullTurnDegrees = 360.0;
// Beyond this many turns the fold uses fmod instead of stepping, so that a
// huge angle cannot keep the loop running for ages.
const double steppedFoldLimitDegrees = 1024 * fullTurnDegrees;
// The request rate is counted over intervals of this length.
const qint64 rateIntervalMs = 1000;
const double msPerSecond = 1000.0;
} // namespace

// Defined here too, so that binding them to a reference (as in std::min) links.
const int Logic::MaxTargets;
const qint64 Logic::readBufferBytes;

Logic::Logic()
{
    // A server flooding the client with blocks it did not ask for cannot
    // make it grow without end: what does not fit waits in the kernel.
    socket.setReadBufferSize(readBufferBytes);
    connect(&socket, SIGNAL(readyRead()), this, SLOT(readData()));
}

Logic::~Logic() = default;

bool Logic::connectToServer(const QString &host, quint16 port)
{
    linkState.server = formatHostPort(host, port).toStdString();
    socket.connectToHost(host, port, QIODevice::ReadWrite);
    const bool connected = socket.waitForConnected(connectTimeoutMs);
    rateClock.start();
    return connected;
}

bool Logic::advance(double seconds)
{
    sendTimer = float(sendTimer + seconds);
    if (sendTimer > requestIntervalSeconds) {
        if (socket.state() != QAbstractSocket::ConnectedState) {
            // Nothing goes out any more: that is the rate from now on.
            linkState.status = LinkState::Status::waiting;
            linkState.requestsPerSecond = 0.0;
            linkState.rateMeasured = true;
            return false;
        }
        sendTimer = 0.0f;
        if (request.isEmpty())
            request.resize(1);
        request[0] = wire::requestByte;
        if (socket.write(request) == request.size())
            ++requestsMeasured;
        socket.flush();
    }
    drawn.sweepAngle += seconds * sweepDegreesPerSecond;
    wrapAngle(drawn.sweepAngle);
    sinceReply += seconds;
    updateLinkStatus();
    measureRequestRate();
    return true;
}

void Logic::updateLinkStatus()
{
    const bool live = socket.state() == QAbstractSocket::ConnectedState && replied &&
                      sinceReply <= LinkState::replyStaleSeconds;
    linkState.status = live ? LinkState::Status::connected : LinkState::Status::waiting;
}

void Logic::measureRequestRate()
{
    // Measured on the wall clock, not from the ticks' seconds: the figure
    // says what really went out, however late the ticks came.
    if (!rateClock.isValid())
        return;
    const qint64 elapsedMs = rateClock.elapsed();
    if (elapsedMs < rateIntervalMs)
        return;
    linkState.requestsPerSecond = requestsMeasured * msPerSecond / double(elapsedMs);
    linkState.rateMeasured = true;
    requestsMeasured = 0;
    rateClock.start();
}

double Logic::sweepAngle() const
{
    return drawn.sweepAngle;
}

int Logic::targetCount() const
{
    return drawn.targetCount;
}

Target *Logic::target(int index)
{
    return &drawn.targets[index];
}

void Logic::readData()
{
    if (receiver.receive(socket, drawn.targets, MaxTargets, &drawn.targetCount)) {
        replied = true;
        sinceReply = 0.0;
        updateLinkStatus();
    }
}

void Logic::wrapAngle(double &angle)
{
    if (std::isinf(angle))
        return;
    if (std::fabs(angle) > steppedFoldLimitDegrees)
        angle = std::fmod(angle, fullTurnDegrees);
    while (angle < 0.0)
        angle += fullTurnDegrees;
    while (angle > fullTurnDegrees)
        angle -= fullTurnDegrees;
}
