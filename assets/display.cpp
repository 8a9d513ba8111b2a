// SPDX-License-Identifier: MIT
// The radar display: a long console at the near edge of the table whose
// sloping face holds three screens (target list, scope, status). The model
// is as wide as its placement (2 x scale); its lower part sits inside the
// table, and its top stays low enough not to hide the disc's outer ring.
#include "assets/assets.h"
#include "assets/shading.h"
#include "assets/shapes.h"
#include "render/consolelayout.h"
#include "render/pixelfont.h"

#include <QConicalGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

namespace {

// Scene extents. The top and the front face stay where the scene needs
// them; the bottom and the back lie opposite them across the offset.
constexpr layout::Placement placement = layout::displayModel.placement;
constexpr double x0 = placement.offset.x - placement.scale;
constexpr double x1 = placement.offset.x + placement.scale;
constexpr double frontZ = 2.855, backZ = 2 * placement.offset.z - frontZ;
constexpr double topY = 1.9, bottomY = 2 * placement.offset.y - topY;
constexpr double topFrontZ = 2.3;      // where the sloping screen face begins
constexpr double screenBottomY = 1.48; // where it meets the front lip

// Painted at twice the layout's texture size, which the regions below are
// in; the run directory stores the painting reduced to the texture size.
constexpr int paintScale = 2;
constexpr layout::TextureSize textureSize = layout::displayModel.textureSize;
const QSize paintSize(textureSize.width *paintScale, textureSize.height *paintScale);

QRect painted(const layout::console::Rect &r)
{
    return QRect(r.x * paintScale, r.y * paintScale, r.width * paintScale, r.height * paintScale);
}

QPointF painted(const layout::console::Spot &s)
{
    return QPointF(s.x * paintScale, s.y * paintScale);
}

const QRect screenFace = painted(layout::console::region);
const QRect topFace(0, 256, 2048, 64);
const QRect lipFace(0, 320, 2048, 128), backFace(0, 448, 2048, 128);
const QRect bottomFace(0, 576, 2048, 64);
const QRect leftCap(0, 640, 256, 256), rightCap(256, 640, 256, 256);

const QColor housing(128, 134, 142);
const QColor bezel(44, 46, 52);
const QColor glass(4, 18, 13);
const QColor phosphor = QColor::fromRgb(layout::console::phosphorRgb);
const QColor caption(110, 220, 255);

// The cross-section, (z, y), from the back bottom round to the front bottom.
QVector<QPointF> section()
{
    return {{backZ, bottomY},
            {backZ, topY},
            {topFrontZ, topY},
            {frontZ, screenBottomY},
            {frontZ, bottomY}};
}

Vec3 screenNormal()
{
    return normalized({0, frontZ - topFrontZ, topY - screenBottomY});
}

void paintGlass(QPainter &p, const QRectF &r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, scaled(glass, 1.6));
    g.setColorAt(1.0, glass);
    p.fillRect(r, g);
    for (double y = r.top() + 2; y < r.bottom(); y += 4)
        p.fillRect(QRectF(r.left(), y, r.width(), 1), QColor(0, 0, 0, 50));
}

// Labels at the layout's dot size; the figures beside them are the client's.
void drawLabel(QPainter &p, const layout::console::Spot &at, const char *text)
{
    drawPixelText(p, painted(at), layout::console::dot * paintScale, text, caption);
}

void paintTargetList(QPainter &p, const QRectF &r)
{
    drawLabel(p, layout::console::targetsLabel, "TARGETS");
    const double ruleY = layout::console::targetsRuleY * paintScale;
    p.fillRect(QRectF(r.left() + 22, ruleY, r.width() - 44, 2), scaled(caption, 0.6));
}

void paintScope(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    const double radius = r.height() / 2 - 12;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(scaled(phosphor, 0.55), 2));
    for (int ring = 1; ring <= 3; ++ring)
        p.drawEllipse(c, radius * ring / 3, radius * ring / 3);
    p.drawLine(c - QPointF(radius, 0), c + QPointF(radius, 0));
    p.drawLine(c - QPointF(0, radius), c + QPointF(0, radius));
    // Beam at about 60 degrees with its trail behind; no blips, which would
    // stand for targets that may not be there.
    QConicalGradient trail(c, 30); // Qt angles run anticlockwise from 3 o'clock
    trail.setColorAt(0.0, QColor(90, 255, 140, 200));
    trail.setColorAt(0.25, QColor(90, 255, 140, 0));
    trail.setColorAt(1.0, QColor(90, 255, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(trail);
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(QColor(190, 255, 210), 3));
    p.drawLine(c,
               c + QPointF(std::cos(qDegreesToRadians(30.0)), -std::sin(qDegreesToRadians(30.0))) *
                       radius);
    drawPixelText(p, r.topLeft() + QPointF(16, 14), 3, "PPI", caption);
}

void paintStatus(QPainter &p, const QRectF &r)
{
    drawPixelText(p, r.topLeft() + QPointF(22, 16), 6, "RADAR 2", caption);
    drawLabel(p, layout::console::linkLabel, "LINK");
    drawLabel(p, layout::console::serverLabel, "HOST");
    drawLabel(p, layout::console::rateLabel, "RATE");
    // Signal bars beside the title, as art: they measure nothing.
    const double barsLeft = r.right() - 150, barsBottom = r.top() + 58;
    for (int i = 0; i < 6; ++i) {
        const double h = 12 + i * 8;
        p.fillRect(QRectF(barsLeft + i * 22, barsBottom - h, 14, h),
                   i < 5 ? phosphor : scaled(phosphor, 0.3));
    }
}

void paintScreenFace(QPainter &p)
{
    paintPanel(p, screenFace, bezel, screenNormal());
    const QRect screens[] = {painted(layout::console::targetListScreen),
                             painted(layout::console::scopeScreen),
                             painted(layout::console::statusScreen)};
    void (*contents[])(QPainter &, const QRectF &) = {paintTargetList, paintScope, paintStatus};
    for (int i = 0; i < 3; ++i) {
        const QRectF r = screens[i];
        // A lighter lower and right edge where the bezel steps down to the glass.
        p.fillRect(r.adjusted(-4, -4, 4, 4), scaled(shaded(bezel, screenNormal()), 1.6));
        p.fillRect(r.adjusted(-4, -4, 0, 0), scaled(shaded(bezel, screenNormal()), 0.5));
        paintGlass(p, r);
        p.save();
        p.setClipRect(r);
        contents[i](p, r);
        p.restore();
    }
    // Power lamp in the lower bezel.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 255, 120));
    p.drawEllipse(QPointF(screenFace.right() - 40, screenFace.bottom() - 12), 5, 5);
}

void paintTopFace(QPainter &p)
{
    paintPanel(p, topFace, housing, {0, 1, 0});
    const QColor vent = scaled(shaded(housing, {0, 1, 0}), 0.55);
    for (int x = 200; x < topFace.width() - 200; x += 24)
        p.fillRect(QRect(x, topFace.top() + 20, 10, 26), vent);
}

QImage paintTexture()
{
    QImage image(paintSize, QImage::Format_RGB32);
    image.fill(QColor(60, 60, 60));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintScreenFace(p);
    paintTopFace(p);
    paintPanel(p, lipFace, housing, {0, 0, 1});
    paintPanel(p, backFace, housing, {0, 0, -1});
    paintPanel(p, bottomFace, housing, {0, -1, 0});
    paintPanel(p, leftCap, housing, {-1, 0, 0});
    paintPanel(p, rightCap, housing, {1, 0, 0});
    return image;
}

Mesh buildMesh()
{
    Mesh mesh(paintSize);
    mesh.beginGroup("housing", "housing");
    // Sides in section order: back, top, (screen), front lip, bottom.
    addPrismX(mesh, section(), x0, x1, {backFace, topFace, QRect(), lipFace, bottomFace}, leftCap,
              rightCap);
    mesh.beginGroup("screen", "screen");
    const Vec3 inside{(x0 + x1) / 2, (bottomY + topY) / 2, (backZ + frontZ) / 2};
    mesh.quad({x0, screenBottomY, frontZ}, {x1, screenBottomY, frontZ}, {x1, topY, topFrontZ},
              {x0, topY, topFrontZ}, screenFace, inside);
    return mesh;
}

} // namespace

ModelAsset makeDisplay()
{
    return {layout::displayModel,
            buildMesh(),
            {{"housing", housing, 60}, {"screen", QColor(20, 60, 40), 400}},
            paintTexture()};
}
