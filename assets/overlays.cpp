// SPDX-License-Identifier: MIT
// Textures of the three blended squares over the table. The client draws
// them with alpha scaled by 0.7: the sweep first, the disc over it, the
// markers on top. The disc and sweep squares show their image upright to
// the viewer (image top = far side); the marker square shows it turned by
// 180 degrees.
#include "assets/assets.h"
#include "render/pixelfont.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Painted at these sides, which the details below are in; the run directory
// stores the paintings reduced to the layout's texture sizes.
constexpr int discPixels = 1024;
constexpr int markerPixels = 256;
// Radius of the scope's outer ring, as a fraction of the disc's side; the
// sweep reaches as far, and the table's scope bezel starts just outside.
constexpr double scopeRadiusFraction = 0.45;
constexpr double scopeRadius = scopeRadiusFraction * discPixels;

const QColor ringGreen(110, 255, 150);

// 0 at north (image up), growing clockwise, in degrees 0..360.
double bearingOf(double dx, double dy)
{
    const double deg = qRadiansToDegrees(std::atan2(dx, -dy));
    return deg < 0 ? deg + 360.0 : deg;
}

QPointF onBearing(QPointF centre, double bearingDeg, double radius)
{
    const double a = qDegreesToRadians(bearingDeg);
    return centre + QPointF(std::sin(a), -std::cos(a)) * radius;
}

} // namespace

QImage makeDiscTexture()
{
    QImage image(discPixels, discPixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(discPixels / 2.0, discPixels / 2.0);
    const double r = scopeRadius;

    // A faint tint marks the scope's face without hiding the sweep.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 120, 60, 28));
    p.drawEllipse(c, r, r);

    p.setBrush(Qt::NoBrush);
    auto withAlpha = [](QColor colour, int alpha) {
        colour.setAlpha(alpha);
        return colour;
    };
    constexpr int innerRings = 3;
    for (int i = 1; i <= innerRings; ++i) {
        p.setPen(QPen(withAlpha(ringGreen, 150), 2.5));
        p.drawEllipse(c, r * i / (innerRings + 1), r * i / (innerRings + 1));
    }
    p.setPen(QPen(withAlpha(ringGreen, 235), 5));
    p.drawEllipse(c, r, r);

    // Cross hairs and diagonals.
    p.setPen(QPen(withAlpha(ringGreen, 110), 2));
    for (int deg = 0; deg < 180; deg += 90)
        p.drawLine(onBearing(c, deg, r), onBearing(c, deg + 180, r));
    p.setPen(QPen(withAlpha(ringGreen, 55), 1.5));
    for (int deg = 45; deg < 180; deg += 90)
        p.drawLine(onBearing(c, deg, r), onBearing(c, deg + 180, r));

    // Bearing ticks: every 5, 10 and 30 degrees, longer and brighter.
    for (int deg = 0; deg < 360; deg += 5) {
        const bool major = deg % 30 == 0, mid = deg % 10 == 0;
        const double length = major ? 30 : mid ? 18 : 9;
        p.setPen(QPen(withAlpha(ringGreen, major ? 240 : 170), major ? 4 : 2.5));
        p.drawLine(onBearing(c, deg, r), onBearing(c, deg, r - length));
    }
    // Bearing labels inside the ring, upright for the viewer.
    constexpr double labelDot = 4.5;
    for (int deg = 0; deg < 360; deg += 30) {
        const QString text = QString("%1").arg(deg, 3, 10, QChar('0'));
        const QPointF at = onBearing(c, deg, r - 62);
        const double w = pixelTextWidth(text, labelDot), h = pixelFontRows * labelDot;
        drawPixelText(p, at - QPointF(w / 2, h / 2), labelDot, text, withAlpha(ringGreen, 230));
    }
    // Range labels beside the north line.
    for (int i = 1; i <= innerRings; ++i)
        drawPixelText(p, onBearing(c, 0, r * i / (innerRings + 1)) + QPointF(8, 4), 3.5,
                      QString::number(i), withAlpha(ringGreen, 200));

    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(ringGreen, 230));
    p.drawEllipse(c, 7, 7);
    return image;
}

QImage makeSweepTexture()
{
    // The sweep turns clockwise as seen from above, so its trail lies
    // anticlockwise behind the beam, which points north at angle 0.
    constexpr double trailDeg = 110.0;
    constexpr double trailAlpha = 215.0;
    constexpr double trailFalloff = 2.0;
    constexpr double beamHalfWidthPx = 3.0;
    constexpr double edgeFeatherPx = 3.0;
    const QColor trail(40, 255, 100), beam(190, 255, 205);

    QImage image(discPixels, discPixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const double c = discPixels / 2.0;
    for (int y = 0; y < discPixels; ++y)
        for (int x = 0; x < discPixels; ++x) {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            const double dist = std::hypot(dx, dy);
            if (dist > scopeRadius)
                continue;
            const double feather = std::clamp((scopeRadius - dist) / edgeFeatherPx, 0.0, 1.0);
            const double behind = std::fmod(360.0 - bearingOf(dx, dy), 360.0);
            const bool onBeam = dy < 0 && std::abs(dx) <= beamHalfWidthPx;
            QColor colour;
            double alpha = 0;
            if (onBeam) {
                colour = beam;
                alpha = 255;
            } else if (behind < trailDeg) {
                colour = trail;
                alpha = trailAlpha * std::pow(1.0 - behind / trailDeg, trailFalloff);
            }
            if (alpha <= 0)
                continue;
            colour.setAlpha(int(std::lround(alpha * feather)));
            image.setPixelColor(x, y, colour);
        }
    return image;
}

QImage makeMarkerTexture()
{
    QImage image(markerPixels, markerPixels, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(markerPixels / 2.0, markerPixels / 2.0);

    // A dark disc behind the figure keeps it readable over the bright
    // sweep, and a thin ring makes each marker easy to spot.
    p.setPen(QPen(QColor(255, 214, 90, 230), 7));
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawEllipse(c, 123, 123);

    // The marker square turns its image by 180 degrees, so the figure is
    // drawn head down here to stand upright in the scene. A bold head and
    // shoulders survive being shrunk to a few dozen pixels.
    p.translate(c);
    p.rotate(180);
    p.translate(-c);
    p.setPen(QPen(QColor(40, 26, 6), 9));
    p.setBrush(QColor(255, 240, 150));
    p.drawEllipse(QPointF(128, 72), 42, 42);
    QPainterPath shoulders;
    shoulders.moveTo(30, 226);
    shoulders.cubicTo(30, 150, 70, 126, 128, 126);
    shoulders.cubicTo(186, 126, 226, 150, 226, 226);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    return image;
}
