// SPDX-License-Identifier: MIT
// radarsim's command line for the feed bridges (--tuio, --sbs): their
// options, their help and their checks, kept beside the simulator's own.
#pragma once

#include "sim/sbsfeed.h"
#include "sim/tuiotracker.h"

#include <QCommandLineOption>
#include <QHostAddress>
#include <QString>

class QCommandLineParser;

struct BridgeOptions
{
    enum class Kind { None, Tuio, Sbs };

    Kind kind = Kind::None;
    QHostAddress tuioAddress = QHostAddress::Any; // Tuio: where the UDP port is bound
    quint16 tuioPort = 0;                         // Tuio: 0 picks a free one
    TuioTracker::Settings tuio;
    QString sbsHost; // Sbs: the receiver
    quint16 sbsPort = 0;
    SbsFeed::Settings sbs;
};

class BridgeCommandLine
{
public:
    BridgeCommandLine();

    // The bridges' part of --help.
    static QString help();

    void addTo(QCommandLineParser &parser) const;
    // Reads the bridges' options from a parsed command line into `options`.
    // An empty string on success, otherwise one line naming the mistake: a
    // bad value, both bridges, or an option without its bridge.
    QString read(const QCommandLineParser &parser, BridgeOptions *options) const;

private:
    QString readTuio(const QCommandLineParser &parser, BridgeOptions *options) const;
    QString readSbs(const QCommandLineParser &parser, BridgeOptions *options) const;

    QCommandLineOption tuio, tuioAddress, tuioTimeout, sbs, site, range, value, flipX, flipY;
};
