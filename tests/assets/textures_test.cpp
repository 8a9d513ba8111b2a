// SPDX-License-Identifier: MIT
// The generated textures, loaded as the client loads them.
#include "staged.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace {

QImage load(const char *relative)
{
    QImage image(stagedPath(relative));
    EXPECT_FALSE(image.isNull()) << relative;
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool powerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

double shareOfPixels(const QImage &image, bool (*test)(QRgb))
{
    qint64 hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            hits += test(image.pixel(x, y));
    return double(hits) / (double(image.width()) * image.height());
}

// Alpha at a bearing (0 = image up, clockwise) and a distance from the
// centre given as a fraction of the side.
int alphaAt(const QImage &image, double bearingDeg, double radiusFraction)
{
    const double a = bearingDeg * M_PI / 180.0;
    const double r = radiusFraction * image.width();
    const int x = int(image.width() / 2.0 + r * std::sin(a));
    const int y = int(image.height() / 2.0 - r * std::cos(a));
    return qAlpha(image.pixel(x, y));
}

TEST(Textures, allSixLoadAtTheLayoutsPowerOfTwoSizes)
{
    const std::pair<const char *, layout::TextureSize> textures[] = {
        {layout::radarModel.textureFile, layout::radarModel.textureSize},
        {layout::tableModel.textureFile, layout::tableModel.textureSize},
        {layout::discTextureFile, layout::discTextureSize},
        {layout::sweepTextureFile, layout::sweepTextureSize},
        {layout::displayModel.textureFile, layout::displayModel.textureSize},
        {layout::markerTextureFile, layout::markerTextureSize}};
    for (const auto &[file, size] : textures) {
        const QImage image = load(file);
        EXPECT_EQ(image.size(), QSize(size.width, size.height)) << file;
        EXPECT_TRUE(powerOfTwo(image.width())) << file;
        EXPECT_TRUE(powerOfTwo(image.height())) << file;
    }
}

TEST(Textures, modelTexturesAreOpaqueAndNotFlat)
{
    for (const char *file : {layout::radarModel.textureFile, layout::tableModel.textureFile,
                             layout::displayModel.textureFile}) {
        const QImage image = load(file);
        EXPECT_EQ(shareOfPixels(image, [](QRgb p) { return qAlpha(p) < 255; }), 0.0) << file;
        // Baked shading: many distinct shades, not a few flat fills.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 64) << file;
    }
}

TEST(Textures, discIsMostlyTransparentWithOpaqueRings)
{
    const QImage disc = load(layout::discTextureFile);
    EXPECT_GT(shareOfPixels(disc, [](QRgb p) { return qAlpha(p) < 64; }), 0.75);
    EXPECT_GT(shareOfPixels(disc, [](QRgb p) { return qAlpha(p) > 200; }), 0.01);
    EXPECT_EQ(qAlpha(disc.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(disc.pixel(disc.width() - 1, disc.height() - 1)), 0);
    // The outer ring is opaque all the way round; between rings the sweep
    // below shows through.
    for (int bearing = 7; bearing < 360; bearing += 30) {
        EXPECT_GT(alphaAt(disc, bearing, 0.45), 200) << bearing;
        EXPECT_LT(alphaAt(disc, bearing, 0.17), 64) << bearing;
    }
}

TEST(Textures, sweepIsAGreenBeamWhoseTrailFadesAnticlockwise)
{
    const QImage sweep = load(layout::sweepTextureFile);
    const QRgb beam = sweep.pixel(sweep.width() / 2, sweep.height() / 4);
    EXPECT_EQ(qAlpha(beam), 255);
    EXPECT_GT(qGreen(beam), qRed(beam));
    EXPECT_GT(qGreen(beam), qBlue(beam));
    int previous = 256;
    for (int behind : {3, 15, 35, 60, 85}) {
        const int alpha = alphaAt(sweep, 360 - behind, 0.3);
        EXPECT_LT(alpha, previous) << behind << " degrees behind the beam";
        previous = alpha;
        const QRgb p = sweep.pixel(
            sweep.width() / 2 + int(0.3 * sweep.width() * std::sin(-behind * M_PI / 180)),
            sweep.height() / 2 - int(0.3 * sweep.width() * std::cos(behind * M_PI / 180)));
        EXPECT_GT(qGreen(p), qRed(p));
    }
    EXPECT_GT(alphaAt(sweep, 357, 0.3), 150);
    // Ahead of the beam and far behind it: nothing.
    for (int bearing : {5, 90, 180, 200})
        EXPECT_EQ(alphaAt(sweep, bearing, 0.3), 0) << bearing;
    // Nothing beyond the scope's outer ring.
    EXPECT_EQ(alphaAt(sweep, 350, 0.47), 0);
    EXPECT_EQ(qAlpha(sweep.pixel(0, 0)), 0);
}

TEST(Textures, markerIsASolidFigureOnTransparency)
{
    const QImage marker = load(layout::markerTextureFile);
    const int w = marker.width();
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, w - 1), QPoint(w - 1, w - 1)})
        EXPECT_EQ(qAlpha(marker.pixel(corner)), 0);
    // The figure's shoulders and head, opaque and bright; drawn head down.
    const QRgb shoulders = marker.pixel(w / 2, w / 4);
    const QRgb head = marker.pixel(w / 2, w * 3 / 4);
    for (QRgb p : {shoulders, head}) {
        EXPECT_EQ(qAlpha(p), 255);
        EXPECT_GT(qGray(p), 180);
    }
    // Between head and shoulders: the dark outline, not the figure.
    EXPECT_LT(qGray(marker.pixel(w / 2, w / 2 + w / 32)), 120);
    const double seeThrough = shareOfPixels(marker, [](QRgb p) { return qAlpha(p) < 160; });
    EXPECT_GT(seeThrough, 0.2);
    EXPECT_LT(seeThrough, 0.8);
}

} // namespace
