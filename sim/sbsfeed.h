// SPDX-License-Identifier: MIT
// A BaseStation (SBS-1) feed as radarsim's bridge follows it, from the bytes
// of the stream to the aircraft on the table, free of sockets and clocks:
// every call gets the time, in ms on a clock that never goes back.
//
// The stream is cut into lines at LF (a CR before it is dropped); a line
// longer than maxLineBytes is malformed and skipped up to its end. Lines
// are parsed by parseSbsLine: malformed ones are counted and skipped, with
// a warning at most once per Throttle interval, never more.
//
// Aircraft, by address: every MSG line refreshes its aircraft, positions
// come from lines that carry latitude and longitude (transmission types 2
// and 3), altitudes from any line that carries one. An aircraft not heard
// from for goneAfterMs is gone. At most maxAircraft are followed at once;
// lines of further ones are ignored, with a warning, until some are gone.
//
// Targets: every aircraft with a position within the range, where
// SiteProjection puts it, then mirrored and limited by FrameLimiter.
// Value: the altitude in hundreds of feet, rounded and clamped to 0..65535
// (0 while no altitude is known), or with Value::Address the address's low
// 16 bits. Order: by address.
#pragma once

#include "sim/bridgeframe.h"
#include "sim/sbsline.h"
#include "sim/siteprojection.h"

#include <QByteArray>
#include <QVector>

#include <map>

class SbsFeed
{
public:
    enum class Value { Altitude, Address };

    static constexpr int maxLineBytes = 1024; // the longest real line is about 200
    static constexpr int maxAircraft = 10000;
    static constexpr qint64 goneAfterMs = 60 * 1000;
    static constexpr double defaultRangeKm = 50.0;

    struct Settings
    {
        GeoPoint site;
        double rangeKm = defaultRangeKm; // within SiteProjection's bounds
        Value value = Value::Altitude;
        Orientation orientation;
    };

    struct Counts
    {
        qint64 lines = 0;     // complete lines read, empty ones included
        qint64 malformed = 0; // of them skipped as malformed (overlong ones too)
        qint64 refused = 0;   // of them ignored for want of room
    };

    SbsFeed(const Settings &settings, LogSink log);

    // The next bytes of the stream, in any pieces.
    void receive(const char *data, qint64 size, qint64 nowMs);
    // The stream broke off: a line it left unfinished is dropped.
    void restart();
    // The aircraft on the table now, after forgetting those gone.
    QVector<SimTarget> targets(qint64 nowMs);

    const Counts &counts() const { return count; }
    int aircraftCount() const { return int(aircraft.size()); }

private:
    struct Aircraft
    {
        std::optional<GeoPoint> position;
        std::optional<qint32> altitudeFt;
        qint64 heardMs = 0;
    };

    void line(const char *data, int size, qint64 nowMs);
    void malformed(const char *why, qint64 nowMs);
    void dropGone(qint64 nowMs);
    quint16 valueOf(quint32 address, const Aircraft &a) const;

    Settings settings;
    SiteProjection projection;
    LogSink log;
    FrameLimiter limiter;
    QByteArray partial;        // the unfinished line
    bool skippingLine = false; // the unfinished line is overlong
    std::map<quint32, Aircraft> aircraft;
    Counts count;
    Throttle malformedWarning, refusedWarning;
    qint64 malformedSinceWarning = 0;
};
