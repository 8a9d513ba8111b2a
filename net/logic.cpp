#include "net/logic.h"

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
    socket.connectToHost(host, port, QIODevice::ReadWrite);
    return socket.waitForConnected(connectTimeoutMs);
}

bool Logic::advance(double seconds)
{
    sendTimer = float(sendTimer + seconds);
    if (sendTimer > requestIntervalSeconds) {
        if (socket.state() != QAbstractSocket::ConnectedState)
            return false;
        sendTimer = 0.0f;
        if (request.isEmpty())
            request.resize(1);
        request[0] = wire::requestByte;
        socket.write(request);
        socket.flush();
    }
    drawn.sweepAngle += seconds * sweepDegreesPerSecond;
    wrapAngle(drawn.sweepAngle);
    return true;
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
    receiver.receive(socket, drawn.targets, MaxTargets, &drawn.targetCount);
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
