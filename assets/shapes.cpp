// SPDX-License-Identifier: MIT
#include "assets/shapes.h"

#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;

// Maps a point of a flat area with extent [min, max] on two axes into a
// texture region (first axis to the right, second axis upwards).
QPointF planarTexel(double a, double b, double aMin, double aMax, double bMin, double bMax,
                    const QRect &r)
{
    constexpr double inset = 1.0;
    const QRectF in = QRectF(r).adjusted(inset, inset, -inset, -inset);
    const double fa = aMax > aMin ? (a - aMin) / (aMax - aMin) : 0.5;
    const double fb = bMax > bMin ? (b - bMin) / (bMax - bMin) : 0.5;
    return {in.left() + fa * in.width(), in.bottom() - fb * in.height()};
}

} // namespace

void addBox(Mesh &mesh, Vec3 lo, Vec3 hi, const BoxFaces &f)
{
    const Vec3 inside = (lo + hi) * 0.5;
    auto p = [&](bool x, bool y, bool z) {
        return Vec3{x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z};
    };
    if (!f.front.isNull())
        mesh.quad(p(0, 0, 1), p(1, 0, 1), p(1, 1, 1), p(0, 1, 1), f.front, inside);
    if (!f.back.isNull())
        mesh.quad(p(1, 0, 0), p(0, 0, 0), p(0, 1, 0), p(1, 1, 0), f.back, inside);
    if (!f.right.isNull())
        mesh.quad(p(1, 0, 1), p(1, 0, 0), p(1, 1, 0), p(1, 1, 1), f.right, inside);
    if (!f.left.isNull())
        mesh.quad(p(0, 0, 0), p(0, 0, 1), p(0, 1, 1), p(0, 1, 0), f.left, inside);
    if (!f.top.isNull())
        mesh.quad(p(0, 1, 1), p(1, 1, 1), p(1, 1, 0), p(0, 1, 0), f.top, inside);
    if (!f.bottom.isNull())
        mesh.quad(p(0, 0, 0), p(1, 0, 0), p(1, 0, 1), p(0, 0, 1), f.bottom, inside);
}

double cylinderAngle(double bandFraction)
{
    return twoPi * bandFraction;
}

void addCylinder(Mesh &mesh, Vec3 base, double radius, double height, int segments,
                 const QRect &band, const QRect &top, const QRect &bottom)
{
    const Vec3 inside = base + Vec3{0, height / 2, 0};
    auto rim = [&](int i, double y) {
        const double a = cylinderAngle(double(i) / segments);
        return Vec3{base.x + radius * std::sin(a), base.y + y, base.z + radius * std::cos(a)};
    };
    for (int i = 0; i < segments; ++i) {
        const double u0 = band.left() + band.width() * double(i) / segments;
        const double u1 = band.left() + band.width() * double(i + 1) / segments;
        const double v0 = band.bottom() - 0.5, v1 = band.top() + 0.5;
        mesh.polygon({rim(i, 0), rim(i + 1, 0), rim(i + 1, height), rim(i, height)},
                     {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}}, inside);
    }
    for (const auto &[rect, y] : {std::pair{top, height}, std::pair{bottom, 0.0}}) {
        if (rect.isNull())
            continue;
        QVector<Vec3> corners;
        QVector<QPointF> texels;
        for (int i = 0; i < segments; ++i) {
            const Vec3 c = rim(i, y);
            corners.push_back(c);
            texels.push_back(planarTexel(c.x, -c.z, base.x - radius, base.x + radius,
                                         -base.z - radius, -base.z + radius, rect));
        }
        mesh.polygon(corners, texels, inside);
    }
}

void addPrismX(Mesh &mesh, const QVector<QPointF> &section, double x0, double x1,
               const QVector<QRect> &sides, const QRect &leftCap, const QRect &rightCap)
{
    Q_ASSERT(sides.size() == section.size());
    double zMin = section[0].x(), zMax = zMin, yMin = section[0].y(), yMax = yMin;
    QPointF centre;
    for (const QPointF &s : section) {
        zMin = std::min(zMin, s.x());
        zMax = std::max(zMax, s.x());
        yMin = std::min(yMin, s.y());
        yMax = std::max(yMax, s.y());
        centre += s / section.size();
    }
    const Vec3 inside{(x0 + x1) / 2, centre.y(), centre.x()};

    for (int i = 0; i < section.size(); ++i) {
        if (sides[i].isNull())
            continue;
        QPointF a = section[i], b = section[(i + 1) % section.size()];
        // The upper point (or the farther, if level) takes the region's top.
        const bool aIsTop = a.y() > b.y() || (a.y() == b.y() && a.x() < b.x());
        const QPointF upper = aIsTop ? a : b, lower = aIsTop ? b : a;
        mesh.quad({x0, lower.y(), lower.x()}, {x1, lower.y(), lower.x()},
                  {x1, upper.y(), upper.x()}, {x0, upper.y(), upper.x()}, sides[i], inside);
    }
    for (const auto &[rect, x] : {std::pair{leftCap, x0}, std::pair{rightCap, x1}}) {
        QVector<Vec3> corners;
        QVector<QPointF> texels;
        for (const QPointF &s : section) {
            corners.push_back({x, s.y(), s.x()});
            texels.push_back(planarTexel(s.x(), s.y(), zMin, zMax, yMin, yMax, rect));
        }
        mesh.polygon(corners, texels, inside);
    }
}
