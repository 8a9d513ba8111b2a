// radarsim's command line.
#pragma once

#include "sim/patterns.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

struct SimOptions
{
    static constexpr quint16 defaultPort = 3333;
    static constexpr int defaultTargets = 5;
    static constexpr quint64 defaultSeed = 1;

    QHostAddress address = QHostAddress::Any; // where to listen
    quint16 port = defaultPort;               // 0: any free port
    int targets = defaultTargets;             // 0 to BlockEncoder::maxRecordsPerBlock
    quint64 seed = defaultSeed;
    Pattern pattern = Pattern::Walk;
};

struct SimOptionsResult
{
    enum Status { Run, ShowHelp, Invalid };

    Status status = Run;
    SimOptions options; // meaningful when status is Run
    QString text;       // the help text for ShowHelp, one error line for Invalid
};

// Parses the full argument list (program name first). Never exits and never
// prints; the caller reports and chooses the exit code.
SimOptionsResult parseSimOptions(const QStringList &arguments);
