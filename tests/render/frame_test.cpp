// SPDX-License-Identifier: MIT
#include "viewfixture.h"

#include <GL/glu.h>
#include <QCoreApplication>
#include <QLineF>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The camera and projection every frame must use, built independently.
struct Projection
{
    Matrix modelview, projection;
    GLint viewport[4];
};

Projection expectedProjection(int width, int height)
{
    Projection p{};
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(layout::fieldOfViewDeg, double(width) / double(height), layout::nearPlane,
                   layout::farPlane);
    p.projection = currentMatrix(GL_PROJECTION_MATRIX);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const layout::Point &e = layout::eye, &c = layout::lookAt, &u = layout::up;
    gluLookAt(e.x, e.y, e.z, c.x, c.y, c.z, u.x, u.y, u.z);
    p.modelview = currentMatrix(GL_MODELVIEW_MATRIX);
    glPopMatrix();
    p.viewport[0] = p.viewport[1] = 0;
    p.viewport[2] = width;
    p.viewport[3] = height;
    return p;
}

// Window position of a world point, as image column and row (top row 0).
QPoint project(const Projection &p, double x, double y, double z)
{
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, p.modelview.data(), p.projection.data(), p.viewport, &wx, &wy, &wz);
    return QPoint(int(std::lround(wx)), p.viewport[3] - 1 - int(std::lround(wy)));
}

bool isMarker(QRgb pixel)
{
    return qRed(pixel) > 100 && qGreen(pixel) > 100;
}
bool isSweep(QRgb pixel)
{
    return qGreen(pixel) > 60 && qRed(pixel) < 40;
}

int count(const QImage &image, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

int maxChannelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

QPoint project(const Projection &p, const layout::Point &w)
{
    return project(p, w.x, w.y, w.z);
}

// Where the marker of a target lies, moved by (dx, dz) on its plane.
QPoint markerPoint(const Projection &p, const Target &t, double dx = 0.0, double dz = 0.0)
{
    const layout::Point w = layout::targetToWorld(t.x, t.y);
    return project(p, w.x + dx, w.y, w.z + dz);
}

// A point on a test model, which is a flat square at its placement: u and
// v from -1 to 1 span it along x and z.
QPoint onModel(const Projection &p, const layout::SceneModel &model, double u, double v)
{
    const layout::Placement &at = model.placement;
    return project(p, at.offset.x + u * at.scale, at.offset.y, at.offset.z + v * at.scale);
}

using Frame = ViewTest;

TEST_F(Frame, marksEachTargetWhereItsWorldPointProjects)
{
    const std::vector<Target> targets = {{0.5f, 0.5f, 7}, {0.0f, 0.0f, 0}, {1.0f, 1.0f, 65535}};
    setTargets(targets);
    ASSERT_TRUE(showView());
    const QImage image = frame();
    const Projection p = expectedProjection(viewWidth, viewHeight);
    const double side = layout::markerSide;

    int expectedMarkerPixels = 0;
    for (const Target &t : targets) {
        const QPoint centre = markerPoint(p, t);
        ASSERT_TRUE(image.rect().contains(centre));
        const QRgb pixel = image.pixel(centre);
        EXPECT_TRUE(isMarker(pixel)) << "target " << t.x << ", " << t.y;
        // White at alpha 0.7 over a dark scene.
        EXPECT_NEAR(qRed(pixel), 0.7 * 255, 12);
        // A marker is a square of the layout's side: a point a side off is
        // not marked.
        EXPECT_FALSE(isMarker(image.pixel(markerPoint(p, t, side))));
        const QPoint right = markerPoint(p, t, side / 2);
        const QPoint front = markerPoint(p, t, 0.0, side / 2);
        expectedMarkerPixels += std::abs((right.x() - centre.x()) * (front.y() - centre.y())) * 4;
    }
    // Nothing else is marked: the three squares account for all marker pixels.
    EXPECT_NEAR(count(image, isMarker), expectedMarkerPixels, expectedMarkerPixels / 4);
}

TEST_F(Frame, drawsNoMarkerWithoutTargets)
{
    setTargets({{0.5f, 0.5f, 1}});
    ASSERT_TRUE(showView());
    ASSERT_GT(count(frame(), isMarker), 0);

    setTargets({});
    const QImage image = frame();
    EXPECT_EQ(count(image, isMarker), 0);
    EXPECT_GT(count(image, isSweep), 0);
}

TEST_F(Frame, placesTargetsOutsideTheUnitSquareWithoutClamping)
{
    const Target outside{1.2f, -0.2f, 0};
    setTargets({outside});
    ASSERT_TRUE(showView());
    const QImage image = frame();
    const Projection p = expectedProjection(viewWidth, viewHeight);
    EXPECT_TRUE(isMarker(image.pixel(markerPoint(p, outside))));
    // Clamped, it would sit at the unit square's edge.
    EXPECT_FALSE(isMarker(image.pixel(project(p, layout::targetToWorld(1.0, 0.0)))));
}

TEST_F(Frame, sweepTurnsWithTheAngleAndAFullTurnLooksTheSame)
{
    ASSERT_TRUE(showView());
    const QImage atZero = frame();
    state.sweepAngle = 90.0;
    const QImage atQuarter = frame();
    state.sweepAngle = 360.0;
    const QImage atFull = frame();

    ASSERT_GT(count(atZero, isSweep), 1000);
    // glRotatef(360) is a rotation by a hair off a full turn: texture
    // interpolation may round a pixel's channel one level differently.
    int differ = 0;
    for (int y = 0; y < viewHeight; ++y)
        for (int x = 0; x < viewWidth; ++x)
            differ += maxChannelDifference(atZero.pixel(x, y), atFull.pixel(x, y)) > 1;
    EXPECT_EQ(differ, 0);

    // A quarter turn moves the lit quadrant: few sweep pixels stay put.
    int stayed = 0;
    for (int y = 0; y < viewHeight; ++y)
        for (int x = 0; x < viewWidth; ++x)
            stayed += isSweep(atZero.pixel(x, y)) && isSweep(atQuarter.pixel(x, y));
    EXPECT_GT(count(atQuarter, isSweep), 1000);
    EXPECT_LT(stayed, count(atZero, isSweep) / 10);
}

// The world point (x, z) on the plane at height y seen at an image position.
QPointF worldOnPlane(const Projection &p, const QPointF &at, double y)
{
    GLdouble near[3], far[3];
    const double winY = p.viewport[3] - 1 - at.y();
    gluUnProject(at.x(), winY, 0.0, p.modelview.data(), p.projection.data(), p.viewport, &near[0],
                 &near[1], &near[2]);
    gluUnProject(at.x(), winY, 1.0, p.modelview.data(), p.projection.data(), p.viewport, &far[0],
                 &far[1], &far[2]);
    const double s = (y - near[1]) / (far[1] - near[1]);
    return QPointF(near[0] + s * (far[0] - near[0]), near[2] + s * (far[2] - near[2]));
}

TEST_F(Frame, sweepTurnsAboutMinusYThroughTheDiscCentre)
{
    ASSERT_TRUE(showView());
    const Projection p = expectedProjection(viewWidth, viewHeight);
    const double height = layout::sweepHeight;
    const QPointF centre(layout::discCentreX, layout::discCentreZ);
    // Centre of the lit quadrant on the sweep's plane: each lit pixel's
    // world point weighted by the world area the pixel covers.
    auto centroid = [&](double angle) {
        state.sweepAngle = angle;
        const QImage image = frame();
        QPointF sum;
        double area = 0;
        for (int y = 0; y < viewHeight; ++y)
            for (int x = 0; x < viewWidth; ++x)
                if (isSweep(image.pixel(x, y))) {
                    const QPointF w = worldOnPlane(p, QPointF(x, y), height);
                    const QPointF dx = worldOnPlane(p, QPointF(x + 1, y), height) - w;
                    const QPointF dy = worldOnPlane(p, QPointF(x, y + 1), height) - w;
                    const double a = std::abs(dx.x() * dy.y() - dx.y() * dy.x());
                    sum += w * a;
                    area += a;
                }
        return sum / area;
    };

    // Half a turn puts the lit quadrant opposite itself across the centre.
    const QPointF start = centroid(0.0);
    const QPointF opposite = centroid(180.0);
    const QPointF middle = (start + opposite) / 2.0;
    EXPECT_NEAR(middle.x(), centre.x(), 0.05);
    EXPECT_NEAR(middle.y(), centre.y(), 0.05);
    EXPECT_GT(QLineF(start, centre).length(), 0.5); // a quadrant, off the centre

    // Turned by 40 degrees about -Y (one about +Y by -40 degrees).
    const double a = -40.0 * M_PI / 180.0;
    const QPointF r = start - centre;
    const QPointF wanted = centre + QPointF(r.x() * std::cos(a) + r.y() * std::sin(a),
                                            -r.x() * std::sin(a) + r.y() * std::cos(a));
    const QPointF actual = centroid(40.0);
    EXPECT_LT(QLineF(actual, wanted).length(), 0.1)
        << actual.x() << ", " << actual.y() << " for " << wanted.x() << ", " << wanted.y();
}

TEST_F(Frame, leavesBlendLightingAndLightOffWithTheCameraLoaded)
{
    setTargets({{0.2f, 0.3f, 0}, {0.7f, 0.1f, 0}});
    ASSERT_TRUE(showView());
    frame();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    const Projection p = expectedProjection(viewWidth, viewHeight);
    const Matrix modelview = currentMatrix(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(modelview[i], p.modelview[i], 1e-6);
    // The light's position was sent right after the camera: in eye space.
    std::array<GLfloat, 4> position{};
    glGetLightfv(GL_LIGHT0, GL_POSITION, position.data());
    GLdouble ex = 0;
    for (int k = 0; k < 3; ++k)
        ex += p.modelview[4 * k] * std::array<double, 3>{-1, 15, 1}[k];
    EXPECT_NEAR(position[0], ex + p.modelview[12], 1e-4);
    EXPECT_EQ(position[3], 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Frame, resizeSetsViewportAndAspect)
{
    ASSERT_TRUE(showView());
    view->setFixedSize(800, 600);
    for (int i = 0; i < 50 && view->size() != QSize(800, 600); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    view->updateGL();
    view->makeCurrent();

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    const Matrix expected = expectedProjection(800, 600).projection;
    const Matrix actual = currentMatrix(GL_PROJECTION_MATRIX);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-6) << i;
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(Frame, zeroHeightIsTakenAsOne)
{
    ASSERT_TRUE(showView());
    view->makeCurrent();
    view->resizeGL(120, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 120);
    EXPECT_EQ(viewport[3], 0);
    const Matrix expected = expectedProjection(120, 1).projection;
    const Matrix actual = currentMatrix(GL_PROJECTION_MATRIX);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(std::isfinite(actual[i])) << i;
        EXPECT_NEAR(actual[i], expected[i], 1e-6) << i;
    }
}

} // namespace

namespace {

TEST_F(Frame, drawsEachModelOpaqueWithItsOwnTexture)
{
    ASSERT_TRUE(showView());
    const QImage image = frame();
    const Projection p = expectedProjection(viewWidth, viewHeight);
    struct Probe
    {
        const layout::SceneModel &model;
        double u, v;
        int blue;
    };
    // Points where only one model shows, with neither another model nor the
    // radar squares (higher up, so seen further in) in front: the table's
    // far left, a thin strip at the radar's left edge, the display's near
    // half.
    const Probe probes[] = {{layout::tableModel, -0.4, -0.06, tableBlue},
                            {layout::radarModel, -0.99, -0.67, radarBlue},
                            {layout::displayModel, 0.0, 0.33, displayBlue}};
    for (const Probe &probe : probes) {
        const QPoint at = onModel(p, probe.model, probe.u, probe.v);
        ASSERT_TRUE(image.rect().contains(at)) << at.x() << ", " << at.y();
        const QRgb pixel = image.pixel(at);
        // Texture times white: the model's alpha of 0.7 does not blend.
        EXPECT_EQ(qRed(pixel), 0) << probe.blue;
        EXPECT_EQ(qGreen(pixel), 0) << probe.blue;
        EXPECT_NEAR(qBlue(pixel), probe.blue, 2);
    }
}

} // namespace

namespace {

// The demo picture: the generated scene at a fixed sweep angle with a fixed
// target set, held against the picture the view drew when the reference was
// made on this kind of machine (Mesa llvmpipe). Drawing may get cheaper; what
// the user sees must stay the same.
using DemoFrame = DemoViewTest;

// Targets spread over the disc and a little beyond, many of them
// overlapping, as a busy feed delivers them.
std::vector<Target> demoTargets()
{
    constexpr int count = 400;
    constexpr float spread = 1.1f, margin = (spread - 1.0f) / 2;
    std::vector<Target> targets;
    quint32 seed = 17;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u; // LCG
        return float(seed >> 8) / float(1 << 24);
    };
    for (int i = 0; i < count; ++i) {
        const float x = next() * spread - margin;
        const float y = next() * spread - margin;
        targets.push_back({x, y, float(i)});
    }
    return targets;
}

constexpr double demoSweepAngle = 123.4;

QImage visible(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

TEST_F(DemoFrame, looksAsTheReferencePictureWithinRounding)
{
    // A channel may round one or two levels differently where the drawing
    // takes another path to the same colour; nothing else may change.
    constexpr int channelTolerance = 2;
    constexpr int allowedDifferentPixels = 0;

    setTargets(demoTargets());
    state.sweepAngle = demoSweepAngle;
    ASSERT_TRUE(showView(QSize(demoWidth, demoHeight)));
    const QImage actual = visible(frame());
    const QString actualPath = QString::fromLocal8Bit(RADAR_DEMO_FRAME_ACTUAL);
    const QImage reference(QString::fromLocal8Bit(RADAR_DEMO_FRAME_REFERENCE));
    if (reference.isNull()) {
        ASSERT_TRUE(writePng(actualPath, actual));
        FAIL() << "no reference picture " << RADAR_DEMO_FRAME_REFERENCE << "; this frame is in "
               << qPrintable(actualPath);
    }
    ASSERT_EQ(reference.size(), actual.size());
    const QImage expected = visible(reference);

    int differing = 0, beyondTolerance = 0, largest = 0;
    QImage difference(actual.size(), QImage::Format_RGB888);
    difference.fill(Qt::black);
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const int d = maxChannelDifference(actual.pixel(x, y), expected.pixel(x, y));
            differing += d > 0;
            beyondTolerance += d > channelTolerance;
            largest = std::max(largest, d);
            if (d > 0)
                difference.setPixel(x, y, qRgb(255, d > channelTolerance ? 0 : 255, 0));
        }
    std::printf("demo frame: %d of %d pixels differ from the reference, %d by more than %d; "
                "largest difference %d\n",
                differing, actual.width() * actual.height(), beyondTolerance, channelTolerance,
                largest);
    if (beyondTolerance > allowedDifferentPixels) {
        writePng(actualPath, actual);
        writePng(actualPath + ".difference.png", difference);
    }
    EXPECT_LE(beyondTolerance, allowedDifferentPixels)
        << "this frame is in " << qPrintable(actualPath) << ", the differing pixels in "
        << qPrintable(actualPath + ".difference.png");
}

} // namespace
