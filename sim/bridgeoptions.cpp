// SPDX-License-Identifier: MIT
#include "sim/bridgeoptions.h"

#include "net/hostport.h"
#include "net/wireformat.h"

#include <QCommandLineParser>

#include <cmath>

namespace {

constexpr qint64 maxTimeoutMs = 60 * 60 * 1000; // an hour: any longer is a typo

const char *const helpText =
    "Feed bridges (targets from a real tracker or receiver, served like the\n"
    "simulator's own; --fault and --address apply, and --record FILE without\n"
    "--upstream records the first client's blocks as served):\n"
    "  --tuio PORT      TUIO 1.1 over UDP (IPv4 and IPv6): every alive session of\n"
    "                   /tuio/2Dcur, 2Dobj and 2Dblb is a target at x, y as sent\n"
    "                   (TUIO's top left, y downwards, is the table's far left\n"
    "                   corner as the viewer sees it); value: the session id\n"
    "                   modulo 65536 (--value session) or the 2Dobj class id\n"
    "                   (--value class); a source silent for --tuio-timeout ms\n"
    "                   (default %1) is dropped\n"
    "  --sbs HOST:PORT  a BaseStation (SBS-1) feed over TCP, usually port 30003,\n"
    "                   reconnecting when it breaks: every aircraft within --range\n"
    "                   KM (default %2) of --site LAT,LON, on an equirectangular\n"
    "                   plane with the site in the middle and north up, the edge\n"
    "                   of the square KM from the site; value: the altitude in\n"
    "                   hundreds of feet (--value altitude) or the address's low\n"
    "                   16 bits (--value icao); an aircraft silent for %3 s is gone\n"
    "  --flip-x, --flip-y  mirror either bridge's square\n"
    "A bridge's block carries at most %4 targets, those nearest the centre.\n";

const QStringList tuioValues{"session", "class"};
const QStringList sbsValues{"altitude", "icao"};

// "LAT,LON" in decimal degrees, C locale.
bool parseSite(const QString &text, GeoPoint *site)
{
    const QStringList parts = text.split(',');
    if (parts.size() != 2)
        return false;
    bool okLat = false, okLon = false;
    const double lat = parts[0].trimmed().toDouble(&okLat);
    const double lon = parts[1].trimmed().toDouble(&okLon);
    if (!okLat || !okLon || !std::isfinite(lat) || !std::isfinite(lon) ||
        std::fabs(lat) > SiteProjection::maxSiteLatitude || std::fabs(lon) > GeoPoint::maxLongitude)
        return false;
    *site = {lat, lon};
    return true;
}

// Which of `names` --value gives (0, the default, when it is not set); -1
// with *error set when it gives none of them.
int chosenValue(const QCommandLineParser &parser, const QCommandLineOption &value,
                const QStringList &names, const QString &bridge, QString *error)
{
    if (!parser.isSet(value))
        return 0;
    const int index = names.indexOf(parser.value(value));
    if (index < 0)
        *error = "--value for " + bridge + " must be " + names.join(" or ") + ", not \"" +
                 parser.value(value) + "\"";
    return index;
}

} // namespace

BridgeCommandLine::BridgeCommandLine()
    : tuio("tuio", "Serve the targets of a TUIO tracker sending to this UDP port.", "port"),
      tuioAddress("tuio-address", "Address of the TUIO port (default: all, IPv4 and IPv6).",
                  "address"),
      tuioTimeout("tuio-timeout",
                  QString("Drop a TUIO source silent for this many ms (default %1).")
                      .arg(TuioTracker::defaultSilenceMs),
                  "ms"),
      sbs("sbs", "Serve the aircraft of a BaseStation feed at HOST:PORT.", "host:port"),
      site("site", "The table's centre for --sbs, LAT,LON in degrees.", "lat,lon"),
      range("range",
            QString("Distance from the site to the table's edge for --sbs, in km (default %1).")
                .arg(SbsFeed::defaultRangeKm),
            "km"),
      value("value", "What a bridge's targets carry: session|class (TUIO), altitude|icao (SBS).",
            "name"),
      flipX("flip-x", "Mirror a bridge's targets left to right."),
      flipY("flip-y", "Mirror a bridge's targets top to bottom.")
{
}

QString BridgeCommandLine::help()
{
    constexpr qint64 msPerSecond = 1000;
    return QString::fromLatin1(helpText)
        .arg(TuioTracker::defaultSilenceMs)
        .arg(SbsFeed::defaultRangeKm)
        .arg(SbsFeed::goneAfterMs / msPerSecond)
        .arg(wire::maxRecordsPerBlock);
}

void BridgeCommandLine::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({tuio, tuioAddress, tuioTimeout, sbs, site, range, value, flipX, flipY});
}

QString BridgeCommandLine::read(const QCommandLineParser &parser, BridgeOptions *options) const
{
    if (parser.isSet(tuio) && parser.isSet(sbs))
        return "--tuio and --sbs cannot be combined: give one source of targets";
    const Orientation orientation{parser.isSet(flipX), parser.isSet(flipY)};
    if (parser.isSet(tuio)) {
        options->kind = BridgeOptions::Kind::Tuio;
        options->tuio.orientation = orientation;
        return readTuio(parser, options);
    }
    if (parser.isSet(sbs)) {
        options->kind = BridgeOptions::Kind::Sbs;
        options->sbs.orientation = orientation;
        return readSbs(parser, options);
    }
    for (const QCommandLineOption *o :
         {&tuioAddress, &tuioTimeout, &site, &range, &value, &flipX, &flipY})
        if (parser.isSet(*o))
            return "--" + o->names().first() + " goes with --tuio or --sbs";
    return {};
}

QString BridgeCommandLine::readTuio(const QCommandLineParser &parser, BridgeOptions *options) const
{
    for (const QCommandLineOption *o : {&site, &range})
        if (parser.isSet(*o))
            return "--" + o->names().first() + " goes with --sbs, not --tuio";
    bool ok = false;
    const uint port = parser.value(tuio).toUInt(&ok, 10);
    if (!ok || port > 0xffff)
        return "--tuio must be a UDP port from 0 to 65535, not \"" + parser.value(tuio) + "\"";
    options->tuioPort = quint16(port);
    if (parser.isSet(tuioAddress) && !options->tuioAddress.setAddress(parser.value(tuioAddress)))
        return "--tuio-address must be an IP address, not \"" + parser.value(tuioAddress) + "\"";
    if (parser.isSet(tuioTimeout)) {
        const qint64 ms = parser.value(tuioTimeout).toLongLong(&ok, 10);
        if (!ok || ms < 1 || ms > maxTimeoutMs)
            return QString("--tuio-timeout must be a number of ms from 1 to %1, not \"%2\"")
                .arg(maxTimeoutMs)
                .arg(parser.value(tuioTimeout));
        options->tuio.silenceMs = ms;
    }
    QString error;
    const int chosen = chosenValue(parser, value, tuioValues, "--tuio", &error);
    options->tuio.value = chosen == 1 ? TuioTracker::Value::ClassId : TuioTracker::Value::Session;
    return error;
}

QString BridgeCommandLine::readSbs(const QCommandLineParser &parser, BridgeOptions *options) const
{
    for (const QCommandLineOption *o : {&tuioAddress, &tuioTimeout})
        if (parser.isSet(*o))
            return "--" + o->names().first() + " goes with --tuio, not --sbs";
    if (!parseHostPort(parser.value(sbs), &options->sbsHost, &options->sbsPort))
        return "--sbs must be HOST:PORT with a port from 1 to 65535, not \"" + parser.value(sbs) +
               "\"";
    if (!parser.isSet(site))
        return "--sbs needs --site LAT,LON, the table's centre";
    if (!parseSite(parser.value(site), &options->sbs.site))
        return QString("--site must be LAT,LON in degrees, latitude within +-%1, longitude "
                       "within +-%2, not \"%3\"")
            .arg(SiteProjection::maxSiteLatitude)
            .arg(GeoPoint::maxLongitude)
            .arg(parser.value(site));
    if (parser.isSet(range)) {
        bool ok = false;
        const double km = parser.value(range).toDouble(&ok);
        if (!ok || !(km > 0.0) || km > SiteProjection::maxRangeKm)
            return QString("--range must be a number of km above 0 and up to %1, not \"%2\"")
                .arg(SiteProjection::maxRangeKm)
                .arg(parser.value(range));
        options->sbs.rangeKm = km;
    }
    QString error;
    const int chosen = chosenValue(parser, value, sbsValues, "--sbs", &error);
    options->sbs.value = chosen == 1 ? SbsFeed::Value::Address : SbsFeed::Value::Altitude;
    return error;
}
