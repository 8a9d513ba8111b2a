// SPDX-License-Identifier: MIT
#include "assets/shading.h"

#include "assets/shapes.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double ambient = 0.35;
constexpr double diffuse = 0.65;
constexpr double topLift = 1.08;   // panel gradient, top edge
constexpr double bottomDrop = 0.9; // panel gradient, bottom edge
constexpr double outlineShade = 0.55;
constexpr double highlightShade = 1.3;
constexpr int outlinePx = 2;
constexpr double glossExponent = 24.0;

const Vec3 &towardsLight()
{
    static const Vec3 l = normalized({-0.45, 0.8, 0.55});
    return l;
}

// Seen from about where the client's camera stands.
const Vec3 &towardsViewer()
{
    static const Vec3 v = normalized({0.45, 0.6, 0.65});
    return v;
}

} // namespace

double shadeFactor(Vec3 normal)
{
    return ambient + diffuse * std::max(0.0, dot(normalized(normal), towardsLight()));
}

QColor scaled(const QColor &c, double factor)
{
    auto ch = [factor](int v) { return std::clamp(int(std::lround(v * factor)), 0, 255); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()), c.alpha());
}

QColor shaded(const QColor &base, Vec3 normal)
{
    return scaled(base, shadeFactor(normal));
}

void paintPanel(QPainter &painter, const QRect &r, const QColor &base, Vec3 normal)
{
    const QColor face = shaded(base, normal);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, scaled(face, topLift));
    g.setColorAt(1.0, scaled(face, bottomDrop));
    painter.fillRect(r, g);
    const QColor edge = scaled(face, outlineShade);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), outlinePx), edge);
    painter.fillRect(QRect(r.left(), r.bottom() - outlinePx + 1, r.width(), outlinePx), edge);
    painter.fillRect(QRect(r.left(), r.top(), outlinePx, r.height()), edge);
    painter.fillRect(QRect(r.right() - outlinePx + 1, r.top(), outlinePx, r.height()), edge);
    if (r.height() > 4 * outlinePx)
        painter.fillRect(
            QRect(r.left() + outlinePx, r.top() + outlinePx, r.width() - 2 * outlinePx, 1),
            scaled(face, highlightShade));
}

void paintCylinderBand(QImage &image, const QRect &band, const QColor &base, double gloss)
{
    const Vec3 half = normalized(towardsLight() + towardsViewer());
    for (int x = band.left(); x <= band.right(); ++x) {
        const double a = cylinderAngle((x - band.left() + 0.5) / band.width());
        const Vec3 n{std::sin(a), 0.0, std::cos(a)};
        const QColor c = scaled(base, shadeFactor(n));
        const double spec = gloss * std::pow(std::max(0.0, dot(n, half)), glossExponent);
        const QColor lit(std::min(255, int(c.red() + 255 * spec)),
                         std::min(255, int(c.green() + 255 * spec)),
                         std::min(255, int(c.blue() + 255 * spec)));
        for (int y = band.top(); y <= band.bottom(); ++y)
            image.setPixelColor(x, y, lit);
    }
}
