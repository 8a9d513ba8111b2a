// SPDX-License-Identifier: MIT
// End to end: the real radarsim and radarclient on a private virtual display
// with a window manager, so the client runs full screen at 1280 x 720. The
// screen must show the table, the radar and the display where the client's
// camera projects them, and one marker at each of the five corner targets;
// the client must end by itself with status 0. A decimal-comma locale must
// give the same picture. Fed by a TUIO tracker or an ADS-B receiver, radarsim
// must put the markers where the bridges' mappings say.
#include "radarclientprocess.h"
#include "radarsimprocess.h"
#include "tuioframe.h"
#include "virtualdisplay.h"
#include "workdir.h"

#include "render/scenelayout.h"
#include "sim/siteprojection.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int screenWidth = VirtualDisplay::width, screenHeight = VirtualDisplay::height;
// The client's whole run, counted from its connection: its GL start-up and
// first frames come within it, which takes seconds on a loaded machine.
constexpr int timeToLiveSeconds = 12;
constexpr int shotIntervalMs = 500;
constexpr int exitSlackMs = 20000; // generous: a sanitizer build ends slowly under load

using Point3 = layout::Point;

QPointF project(Point3 p)
{
    auto sub = [](const double *a, const double *b, double *out) {
        for (int i = 0; i < 3; ++i)
            out[i] = a[i] - b[i];
    };
    auto dot = [](const double *a, const double *b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    auto norm = [&](double *v) {
        const double l = std::sqrt(dot(v, v));
        for (int i = 0; i < 3; ++i)
            v[i] /= l;
    };
    // The client's camera.
    const double eye[3] = {layout::eye.x, layout::eye.y, layout::eye.z};
    const double centre[3] = {layout::lookAt.x, layout::lookAt.y, layout::lookAt.z};
    const double up[3] = {layout::up.x, layout::up.y, layout::up.z};
    double f[3];
    sub(centre, eye, f);
    norm(f);
    double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2],
                   f[0] * up[1] - f[1] * up[0]}; // f x up
    norm(s);
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    const double pw[3] = {p.x, p.y, p.z};
    double d[3];
    sub(pw, eye, d);
    const double t = std::tan(layout::fieldOfViewDeg * M_PI / 360.0);
    const double aspect = double(screenWidth) / screenHeight;
    const double depth = dot(d, f);
    const double nx = dot(d, s) / (depth * t * aspect), ny = dot(d, u) / (depth * t);
    return {(nx + 1) / 2 * screenWidth, (1 - ny) / 2 * screenHeight};
}

// Where the client draws the marker of a target.
QPointF markerAt(double x, double y)
{
    return project(layout::targetToWorld(x, y));
}

bool isMarkerColour(QRgb p)
{
    return qRed(p) > 150 && qRed(p) - qBlue(p) > 50;
}

int markerPixelsNear(const QImage &shot, QPointF at, int radius = 9)
{
    int n = 0;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p = at.toPoint() + QPoint(dx, dy);
            if (shot.rect().contains(p) && isMarkerColour(shot.pixel(p)))
                ++n;
        }
    return n;
}

bool isGrey(QRgb p, int minimum)
{
    const int lo = std::min({qRed(p), qGreen(p), qBlue(p)});
    const int hi = std::max({qRed(p), qGreen(p), qBlue(p)});
    return lo >= minimum && hi - lo < 40;
}

// What must be on screen; empty when all is there.
QString missingFromPicture(const QImage &shot)
{
    if (shot.size() != QSize(screenWidth, screenHeight))
        return QString("screen is %1 x %2").arg(shot.width()).arg(shot.height());
    QStringList missing;
    const struct
    {
        double x, y;
    } corners[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0.5, 0.5}};
    for (const auto &c : corners)
        if (markerPixelsNear(shot, markerAt(c.x, c.y)) < 8)
            missing << QString("marker at (%1, %2)").arg(c.x).arg(c.y);
    // No target there: no marker either.
    if (markerPixelsNear(shot, markerAt(0.25, 0.75)) > 0)
        missing << "empty scope at (0.25, 0.75)";
    // The table top, left and right of the scope, and its front face.
    const double top = layout::tableTopY;
    for (Point3 p : {Point3{-4.5, top, -2.0}, Point3{3.5, top, -2.0}, Point3{-4.0, 0.9, 3.25}}) {
        const QRgb c = shot.pixel(project(p).toPoint());
        if (qRed(c) + qGreen(c) + qBlue(c) < 45 || qGreen(c) > qRed(c) + 40)
            missing << QString("table at (%1, %2, %3)").arg(p.x).arg(p.y).arg(p.z);
    }
    // The radar's antenna and mast, on the radar's vertical axis: light grey
    // above the green scope.
    const layout::Point radar = layout::radarModel.placement.offset;
    for (Point3 p :
         {Point3{radar.x - 0.5, 2.42, radar.z + 0.06}, Point3{radar.x + 0.4, 2.42, radar.z + 0.06},
          Point3{radar.x, 1.75, radar.z + 0.07}})
        if (!isGrey(shot.pixel(project(p).toPoint()), 70))
            missing << QString("radar at (%1, %2, %3)").arg(p.x).arg(p.y).arg(p.z);
    // The display's housing top, left and right of its middle, between its
    // dark vents and its front edge.
    const double display = layout::displayModel.placement.offset.x;
    for (Point3 p : {Point3{display - 2.0, 1.9, 2.275}, Point3{display + 2.0, 1.9, 2.275}})
        if (!isGrey(shot.pixel(project(p).toPoint()), 60))
            missing << QString("display at (%1, %2, %3)").arg(p.x).arg(p.y).arg(p.z);
    // Beyond the table's far edge: the black background.
    if (shot.pixel(screenWidth - 4, 4) != qRgb(0, 0, 0))
        missing << "black background in the top right corner";
    return missing.join(", ");
}

// Markers at the unit-square points `at` and none at `empty`; empty when the
// picture shows just that.
QString missingMarkers(const QImage &shot, const QList<QPointF> &at, const QList<QPointF> &empty)
{
    if (shot.size() != QSize(screenWidth, screenHeight))
        return QString("screen is %1 x %2").arg(shot.width()).arg(shot.height());
    QStringList missing;
    for (const QPointF &p : at)
        if (markerPixelsNear(shot, markerAt(p.x(), p.y())) < 8)
            missing << QString("marker at (%1, %2)").arg(p.x()).arg(p.y());
    for (const QPointF &p : empty)
        if (markerPixelsNear(shot, markerAt(p.x(), p.y())) > 0)
            missing << QString("empty scope at (%1, %2)").arg(p.x()).arg(p.y());
    return missing.join(", ");
}

bool tool(const QString &name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

struct ClientRun
{
    QImage picture;
    QString missing;
    int exitCode = -1;
    QByteArray log; // the end of the client's standard error
};

// What must be on screen; empty when all is there.
using PictureCheck = std::function<QString(const QImage &)>;

// One run of the client in `locale` against a simulator on `port`, the
// picture checked by `missingFrom`; `feed`, when given, runs before every
// look, for a bridge's feed to go on while the client runs.
ClientRun runClient(quint16 port, const QString &locale,
                    const PictureCheck &missingFrom = missingFromPicture,
                    const std::function<void()> &feed = {})
{
    ClientRun run;
    WorkDir dir;
    // Without the console's live figures, which differ from run to run (the
    // request rate, the moment the link shows as connected).
    if (!dir.isValid() ||
        !dir.writeSettings(port,
                           QString("<timeToLive>%1</timeToLive><liveConsole>false</liveConsole>")
                               .arg(timeToLiveSeconds)
                               .toUtf8())) {
        run.missing = "cannot prepare a run directory";
        return run;
    }
    VirtualDisplay display(VirtualDisplay::WindowManager::matchbox);
    if (!display.isRunning()) {
        run.missing = "the virtual display did not start: " + display.problem();
        return run;
    }
    RadarClientProcess client;
    QProcessEnvironment env = display.environment();
    env.insert("LANG", locale);
    env.insert("LC_ALL", locale);
    if (!client.start(dir.path(), env)) {
        run.missing = "radarclient did not start";
        return run;
    }
    // The picture may take a while on a loaded machine: look until it is
    // complete for as long as the client runs.
    do {
        if (feed)
            feed();
        run.picture = display.grab();
        run.missing = missingFrom(run.picture);
        if (run.missing.isEmpty())
            break;
        // Waiting on the client is what notices its end.
    } while (!client.process.waitForFinished(shotIntervalMs));

    if ((client.process.state() == QProcess::NotRunning ||
         client.process.waitForFinished(timeToLiveSeconds * 1000 + exitSlackMs)) &&
        client.process.exitStatus() == QProcess::NormalExit)
        run.exitCode = client.process.exitCode();
    constexpr int logTail = 3000;
    run.log = client.process.readAllStandardError().right(logTail);
    return run;
}

TEST(EndToEnd, clientShowsTheSceneAndCornerTargetsInAnyLocale)
{
    for (const char *name : {"Xvfb", "matchbox-window-manager", "xprop", "import"})
        if (!tool(name))
            GTEST_SKIP() << name << " is not installed";

    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--pattern", "corners", "--targets", "5"}))
        << qPrintable(sim.process.readAllStandardError());
    const quint16 port = sim.port;

    const ClientRun plain = runClient(port, "C");
    EXPECT_EQ(plain.missing.toStdString(), "") << "C locale";
    EXPECT_EQ(plain.exitCode, 0) << "C locale\n" << plain.log.constData();

    const ClientRun comma = runClient(port, "de_DE.UTF-8");
    EXPECT_EQ(comma.missing.toStdString(), "") << "de_DE.UTF-8";
    EXPECT_EQ(comma.exitCode, 0) << "de_DE.UTF-8\n" << comma.log.constData();

    // Outside the scope, where the sweep turns, nothing moves: the two
    // pictures must agree there pixel for pixel.
    ASSERT_FALSE(plain.picture.isNull());
    ASSERT_FALSE(comma.picture.isNull());
    QPolygonF scope;
    constexpr double scopeMargin = 2.7; // the bezel's outer radius and a little
    for (int deg = 0; deg < 360; deg += 5)
        scope << project({layout::discCentreX + scopeMargin * std::sin(deg * M_PI / 180),
                          layout::discHeight,
                          layout::discCentreZ - scopeMargin * std::cos(deg * M_PI / 180)});
    int differing = 0;
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            if (!scope.containsPoint(QPointF(x, y), Qt::OddEvenFill) &&
                plain.picture.pixel(x, y) != comma.picture.pixel(x, y))
                ++differing;
    EXPECT_EQ(differing, 0);
    if (HasFailure()) {
        plain.picture.save(QDir::temp().filePath("e2e-c.png"));
        comma.picture.save(QDir::temp().filePath("e2e-de.png"));
        std::printf("pictures saved as e2e-c.png and e2e-de.png in %s\n",
                    qPrintable(QDir::tempPath()));
    }
}

bool displayToolsMissing(std::string *which)
{
    for (const char *name : {"Xvfb", "matchbox-window-manager", "xprop", "import"})
        if (!tool(name)) {
            *which = name;
            return true;
        }
    return false;
}

TEST(EndToEnd, aTuioTrackerPutsMarkersWhereItsCursorsAre)
{
    std::string tool;
    if (displayToolsMissing(&tool))
        GTEST_SKIP() << tool << " is not installed";
    RadarSimProcess sim;
    // The source stays however long a loaded machine takes to start the client.
    ASSERT_TRUE(
        sim.start({"--tuio", "0", "--tuio-address", "127.0.0.1", "--tuio-timeout", "600000"}))
        << qPrintable(sim.process.readAllStandardError());
    const quint16 udp = sim.readTuioPort();
    ASSERT_NE(udp, 0);

    // TUIO's top left is the table's far left: a flipped axis would put a
    // marker where the scope must stay empty. (The radar's antenna hides the
    // far middle of the scope: no point is looked for there.)
    QUdpSocket tracker;
    qint32 frame = 0;
    const ClientRun run = runClient(
        sim.port, "C",
        [](const QImage &shot) {
            return missingMarkers(shot, {{0.25, 0.75}, {0.75, 0.6}}, {{0.75, 0.75}, {0.75, 0.4}});
        },
        [&] {
            tracker.writeDatagram(
                tuioBundle(
                    {"/tuio/2Dcur", {}, {1, 2}, {{1, 0.25f, 0.75f}, {2, 0.75f, 0.6f}}, ++frame}),
                QHostAddress::LocalHost, udp);
        });
    EXPECT_EQ(run.missing.toStdString(), "");
    EXPECT_EQ(run.exitCode, 0) << run.log.constData();
}

// The line a receiver writes for aircraft `address` `northKm` and `eastKm`
// from the site, on the equirectangular plane the bridge maps with.
QByteArray sbsPosition(const char *address, double siteLat, double siteLon, double northKm,
                       double eastKm)
{
    constexpr double degree = M_PI / 180, kmPerDegree = SiteProjection::earthRadiusKm * degree;
    const double lat = siteLat + northKm / kmPerDegree;
    const double lon = siteLon + eastKm / (kmPerDegree * std::cos(siteLat * degree));
    return QString("MSG,3,1,1,%1,1,,,,,,10000,,,%2,%3,,,0,0,0,0\r\n")
        .arg(address)
        .arg(lat, 0, 'f', 6)
        .arg(lon, 0, 'f', 6)
        .toLatin1();
}

TEST(EndToEnd, anAdsbFeedPutsMarkersWhereTheMappingSays)
{
    std::string tool;
    if (displayToolsMissing(&tool))
        GTEST_SKIP() << tool << " is not installed";
    constexpr double siteLat = 52.0, siteLon = 4.0, rangeKm = 50.0;
    QTcpServer receiver;
    ASSERT_TRUE(receiver.listen(QHostAddress::LocalHost, 0));
    RadarSimProcess sim;
    ASSERT_TRUE(sim.start({"--sbs", QString("127.0.0.1:%1").arg(receiver.serverPort()), "--site",
                           QString("%1,%2").arg(siteLat).arg(siteLon), "--range",
                           QString::number(rangeKm)}))
        << qPrintable(sim.process.readAllStandardError());
    ASSERT_TRUE(receiver.waitForNewConnection(simStartMs));
    std::unique_ptr<QTcpSocket> feed(receiver.nextPendingConnection());

    // One aircraft south-west of the site, one north-east (the square is
    // twice the range across, north towards the far edge); nothing where a
    // flipped axis would put them.
    const QByteArray lines =
        sbsPosition("4CA2D6", siteLat, siteLon, -0.4 * rangeKm, -0.4 * rangeKm) +
        sbsPosition("3C6586", siteLat, siteLon, 0.3 * rangeKm, 0.5 * rangeKm);
    const ClientRun run = runClient(
        sim.port, "C",
        [](const QImage &shot) {
            return missingMarkers(shot, {{0.3, 0.7}, {0.75, 0.35}}, {{0.7, 0.7}, {0.75, 0.65}});
        },
        [&] {
            // Heard again and again, as a receiver repeats its aircraft.
            feed->write(lines);
            feed->waitForBytesWritten(simStartMs);
        });
    EXPECT_EQ(run.missing.toStdString(), "");
    EXPECT_EQ(run.exitCode, 0) << run.log.constData();
}

} // namespace
