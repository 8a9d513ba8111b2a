// SPDX-License-Identifier: MIT
#include "sim/siteprojection.h"

#include <cmath>

namespace {

constexpr double degreesToRadians = M_PI / 180.0;

} // namespace

SiteProjection::SiteProjection(GeoPoint site, double rangeKm)
    : site(site), rangeKm(rangeKm),
      kmPerDegreeEast(earthRadiusKm * degreesToRadians * std::cos(site.latitude * degreesToRadians))
{
}

std::optional<QPointF> SiteProjection::toUnitSquare(GeoPoint p) const
{
    // The short way round, also across the antimeridian.
    const double dLon = std::remainder(p.longitude - site.longitude, 360.0);
    const double east = dLon * kmPerDegreeEast;
    const double north = (p.latitude - site.latitude) * earthRadiusKm * degreesToRadians;
    if (std::hypot(east, north) > rangeKm)
        return std::nullopt;
    const double across = 2.0 * rangeKm;
    return QPointF(0.5 + east / across, 0.5 - north / across);
}
