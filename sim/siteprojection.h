// SPDX-License-Identifier: MIT
// Where an aircraft appears on the table: an equirectangular local tangent
// plane around the site (east = R * dlon * cos(site latitude), north = R *
// dlat, R the Earth's mean radius), good to well under a percent within a
// few hundred km. The site sits at (0.5, 0.5), north up (towards y = 0, the
// table's far edge), east towards x = 1; the range is the distance from the
// site to the square's edge, so the square is twice the range across.
#pragma once

#include <QPointF>

#include <optional>

struct GeoPoint
{
    static constexpr double maxLatitude = 90.0;
    static constexpr double maxLongitude = 180.0;

    double latitude = 0.0;  // degrees, within +-maxLatitude, south negative
    double longitude = 0.0; // degrees, within +-maxLongitude, west negative
};

class SiteProjection
{
public:
    static constexpr double earthRadiusKm = 6371.0088;
    // Near the poles a degree of longitude shrinks to nothing and the plane
    // tears; sites are kept this far from them.
    static constexpr double maxSiteLatitude = 85.0;
    static constexpr double maxRangeKm = 500.0;

    // `site` within +-maxSiteLatitude, 0 < rangeKm <= maxRangeKm.
    SiteProjection(GeoPoint site, double rangeKm);

    // The point in the unit square, or nothing for a point farther from the
    // site than the range (a circle touching the square's edges: its
    // corners stay empty, as beyond a radar's range).
    std::optional<QPointF> toUnitSquare(GeoPoint p) const;

private:
    GeoPoint site;
    double rangeKm;
    double kmPerDegreeEast;
};
