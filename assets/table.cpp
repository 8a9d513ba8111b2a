// SPDX-License-Identifier: MIT
// The radar table: a wide console with a top slab, a cabinet and a plinth.
// Its top carries the round scope under the client's disc and sweep.
#include "assets/assets.h"
#include "assets/halving.h"
#include "assets/shading.h"
#include "assets/shapes.h"
#include "render/pixelfont.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// Scene extents. The width is the table's largest size, so its half is the
// placement's scale; the top and the front edge stay where the scene needs
// them, and the bottom and the far edge lie opposite them across the offset.
constexpr layout::Placement placement = layout::tableModel.placement;
constexpr double minX = placement.offset.x - placement.scale;
constexpr double maxX = placement.offset.x + placement.scale;
constexpr double nearZ = 3.4; // front edge, in front of the display
constexpr double farZ = 2 * placement.offset.z - nearZ;
constexpr double topY = layout::tableTopY;
constexpr double bottomY = 2 * placement.offset.y - topY;
constexpr double slabThickness = 0.1;
constexpr double cabinetInset = 0.15;
constexpr double plinthInset = 0.4;
constexpr double plinthHeight = 0.18;

// Scope on the table top, under the disc.
constexpr double scopeGlassRadius = 2.3;
constexpr double scopeBezelRadius = 2.5;

// Painted at this size, which the regions below are in.
const QSize paintSize(2048, 2048);
// Stored at the layout's size (see Part below).
const QSize storedSize(layout::tableModel.textureSize.width, layout::tableModel.textureSize.height);
const QRect topRegion(0, 0, 2048, 1024);
const QRect slabFront(0, 1024, 2048, 32), slabBack(0, 1056, 2048, 32);
const QRect slabLeft(0, 1088, 1024, 32), slabRight(1024, 1088, 1024, 32);
const QRect slabBottom(0, 1120, 2048, 64);
const QRect cabinetFront(0, 1184, 2048, 384), cabinetBack(0, 1568, 2048, 128);
const QRect cabinetLeft(0, 1696, 1024, 192), cabinetRight(1024, 1696, 1024, 192);
const QRect plinthFront(0, 1888, 2048, 64), plinthBack(0, 1952, 2048, 32);
const QRect plinthLeft(0, 1984, 1024, 32), plinthRight(1024, 1984, 1024, 32);

// The texture is stored at the layout's size in three parts of the painting,
// each at the size the camera sees it: the near half of the top at full
// size, the far half halved, the sides (of which only the slab's front
// shows) quartered. The top is two faces, split at the painting's row
// `seamRow`. Each part keeps the rows of the painting beyond its edges
// (wrapping round, as GL repeats a texture) that the coarsest level the view
// samples there reaches into, and lies at a place that keeps the rows of
// those levels where they were: so every level the view samples holds what
// a level of the whole painting would.
struct Part
{
    int top, rows; // painting rows, wrapping round
    int halvings;
    QPoint at; // in the stored texture
};
constexpr int seamRow = topRegion.top() + topRegion.height() / 2;
constexpr int borderRows = 16; // painting rows; a multiple of the coarsest level sampled
constexpr Part nearPart{seamRow - borderRows, topRegion.bottom() + 1 - (seamRow - borderRows), 0,
                        QPoint(0, 0)};
constexpr Part farPart{topRegion.top() - borderRows, seamRow + 2 * borderRows, 1,
                       QPoint(0, nearPart.rows)};
constexpr Part sidesPart{slabFront.top() - borderRows,
                         paintSize.height() - (slabFront.top() - borderRows), 2,
                         QPoint(1024, nearPart.rows)};

const QColor background(40, 40, 40);
const QColor surface(58, 68, 80);
const QColor edgeMetal(176, 182, 190);
const QColor cabinet(66, 76, 90);
const QColor plinth(26, 28, 32);

const Vec3 up{0, 1, 0}, towardsViewer{0, 0, 1}, away{0, 0, -1}, right{1, 0, 0}, left{-1, 0, 0};

// Painting the top in scene units: x across, z from the far edge (top of
// the region) to the near edge.
QTransform topTransform()
{
    QTransform t;
    t.translate(topRegion.left(), topRegion.top());
    t.scale(topRegion.width() / (maxX - minX), topRegion.height() / (nearZ - farZ));
    t.translate(-minX, -farZ);
    return t;
}

void paintScope(QPainter &p)
{
    const QPointF centre(layout::discCentreX, layout::discCentreZ);
    QLinearGradient bezel(centre + QPointF(-2, -2), centre + QPointF(2, 2));
    bezel.setColorAt(0.0, QColor(200, 205, 212));
    bezel.setColorAt(1.0, QColor(70, 74, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(centre, scopeBezelRadius, scopeBezelRadius);

    QRadialGradient glass(centre, scopeGlassRadius);
    glass.setColorAt(0.0, QColor(16, 46, 30));
    glass.setColorAt(0.85, QColor(8, 26, 16));
    glass.setColorAt(1.0, QColor(2, 8, 5));
    p.setBrush(glass);
    p.drawEllipse(centre, scopeGlassRadius, scopeGlassRadius);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 32, 36), 0.03));
    p.drawEllipse(centre, scopeBezelRadius, scopeBezelRadius);
    p.drawEllipse(centre, scopeGlassRadius, scopeGlassRadius);
    // Engraved marks on the bezel every 10 degrees.
    p.setPen(QPen(QColor(40, 42, 46), 0.025));
    for (int deg = 0; deg < 360; deg += 10) {
        const double a = qDegreesToRadians(double(deg));
        const QPointF dir(std::sin(a), -std::cos(a));
        const double inner = deg % 30 == 0 ? 2.33 : 2.4;
        p.drawLine(centre + dir * inner, centre + dir * 2.47);
    }
}

// A row of lit push buttons with a caption, printed left of the display.
void paintControls(QPainter &p)
{
    const QColor lamps[] = {QColor(60, 220, 90), QColor(60, 220, 90), QColor(240, 180, 40),
                            QColor(220, 60, 50), QColor(70, 150, 240)};
    const double x0 = -6.3, z0 = 0.35, key = 0.4, gap = 0.15;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 32, 38));
    p.drawRoundedRect(QRectF(x0 - 0.2, z0 - 0.75, 5 * (key + gap) + 0.24, key + 1.0), 0.1, 0.1);
    for (int i = 0; i < 5; ++i) {
        const QRectF k(x0 + i * (key + gap), z0, key, key);
        p.setBrush(scaled(lamps[i], 0.45));
        p.drawRoundedRect(k, 0.06, 0.06);
        p.setBrush(lamps[i]);
        p.drawRoundedRect(k.adjusted(0.05, 0.05, -0.07, -0.07), 0.05, 0.05);
    }
    drawPixelText(p, QPointF(x0, z0 - 0.55), 0.05, "RADAR TABLE", QColor(190, 200, 210));
}

// A keypad printed right of the display.
void paintKeypad(QPainter &p)
{
    const double x0 = 3.35, z0 = -0.1, key = 0.24, gap = 0.07;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 32, 38));
    p.drawRoundedRect(QRectF(x0 - 0.12, z0 - 0.12, 3 * (key + gap) + 0.16, 4 * (key + gap) + 0.16),
                      0.08, 0.08);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) {
            const QRectF k(x0 + col * (key + gap), z0 + row * (key + gap), key, key);
            p.setBrush(QColor(120, 128, 138));
            p.drawRoundedRect(k, 0.04, 0.04);
            p.setBrush(QColor(86, 92, 100));
            p.drawRoundedRect(k.adjusted(0.04, 0.04, 0, 0), 0.04, 0.04);
        }
}

void paintTop(QPainter &p)
{
    p.save();
    p.setTransform(topTransform());
    // A lamp above the scope: bright in the middle, dimmer towards the ends.
    QRadialGradient lamp(QPointF(layout::discCentreX, layout::discCentreZ), 11.0);
    lamp.setColorAt(0.0, scaled(surface, 1.25));
    lamp.setColorAt(0.5, surface);
    lamp.setColorAt(1.0, scaled(surface, 0.6));
    p.fillRect(QRectF(minX, farZ, maxX - minX, nearZ - farZ), lamp);
    // Inlaid border line.
    p.setPen(QPen(scaled(surface, 1.6), 0.03));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(minX + 0.3, farZ + 0.3, maxX - minX - 0.6, nearZ - farZ - 0.6));
    paintScope(p);
    paintControls(p);
    paintKeypad(p);
    p.restore();
}

// Door panels across a cabinet side, darker towards the floor.
void paintCabinetFace(QPainter &p, const QRect &r, Vec3 normal, int doors)
{
    paintPanel(p, r, cabinet, normal);
    const QColor face = shaded(cabinet, normal);
    const double doorWidth = double(r.width()) / doors;
    for (int i = 0; i < doors; ++i) {
        const QRectF d(r.left() + i * doorWidth + 10, r.top() + 26, doorWidth - 20,
                       r.height() - 44);
        p.fillRect(d, scaled(face, 0.82));
        p.fillRect(QRectF(d.left(), d.top(), d.width(), 3), scaled(face, 0.6));
        p.fillRect(QRectF(d.left(), d.top(), 3, d.height()), scaled(face, 0.65));
        p.fillRect(QRectF(d.left(), d.bottom() - 3, d.width(), 3), scaled(face, 1.35));
        p.fillRect(QRectF(d.right() - 3, d.top(), 3, d.height()), scaled(face, 1.2));
        // Handle.
        p.fillRect(QRectF(d.center().x() - 30, d.top() + 20, 60, 8), scaled(edgeMetal, 0.8));
    }
    QLinearGradient floor(r.topLeft(), r.bottomLeft());
    floor.setColorAt(0.0, QColor(0, 0, 0, 0));
    floor.setColorAt(1.0, QColor(0, 0, 0, 110));
    p.fillRect(r, floor);
}

QImage paintTexture()
{
    QImage image(paintSize, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintTop(p);
    paintPanel(p, slabFront, edgeMetal, towardsViewer);
    paintPanel(p, slabBack, edgeMetal, away);
    paintPanel(p, slabLeft, edgeMetal, left);
    paintPanel(p, slabRight, edgeMetal, right);
    paintPanel(p, slabBottom, scaled(cabinet, 0.6), {0, -1, 0});
    constexpr int frontDoors = 10, backDoors = 10, sideDoors = 3;
    paintCabinetFace(p, cabinetFront, towardsViewer, frontDoors);
    paintCabinetFace(p, cabinetBack, away, backDoors);
    paintCabinetFace(p, cabinetLeft, left, sideDoors);
    paintCabinetFace(p, cabinetRight, right, sideDoors);
    for (const auto &[r, n] : {std::pair{plinthFront, towardsViewer}, std::pair{plinthBack, away},
                               std::pair{plinthLeft, left}, std::pair{plinthRight, right}})
        paintPanel(p, r, plinth, n);
    return image;
}

// Copies the part's rows of the painting, reduced, into `stored`; both RGB32.
void place(QImage &stored, const QImage &painting, const Part &part)
{
    QImage rows(painting.width(), part.rows, painting.format());
    for (int y = 0; y < part.rows; ++y) {
        const int from = (part.top + y + painting.height()) % painting.height();
        std::copy_n(painting.constScanLine(from), painting.bytesPerLine(), rows.scanLine(y));
    }
    for (int i = 0; i < part.halvings; ++i)
        rows = halved(rows);
    for (int y = 0; y < rows.height(); ++y)
        std::copy_n(rows.constScanLine(y), rows.bytesPerLine(),
                    stored.scanLine(part.at.y() + y) + part.at.x() * sizeof(QRgb));
}

QImage storedTexture(const QImage &painting)
{
    QImage stored(storedSize, QImage::Format_RGB32);
    stored.fill(background);
    for (const Part &part : {nearPart, farPart, sidesPart})
        place(stored, painting, part);
    return stored;
}

// Where a face's texels of the painting lie in the stored texture.
QTransform storedPlace(const QRectF &texels)
{
    const Part &part = texels.top() >= slabFront.top() ? sidesPart
                       : texels.top() >= seamRow       ? nearPart
                                                       : farPart;
    const double s = 1.0 / (1 << part.halvings);
    return QTransform(s, 0, 0, s, part.at.x(), part.at.y() - part.top * s);
}

// The top in two faces, split where its texels cross the seam row.
void addTop(Mesh &mesh, const QRectF &texels, Vec3 inside)
{
    const double seamZ = farZ + (seamRow - texels.top()) / texels.height() * (nearZ - farZ);
    const double seamV = seamRow;
    for (const auto &[z0, z1, v0, v1] : {std::tuple{seamZ, nearZ, seamV, texels.bottom()},
                                         std::tuple{farZ, seamZ, texels.top(), seamV}})
        mesh.polygon(
            {{minX, topY, z1}, {maxX, topY, z1}, {maxX, topY, z0}, {minX, topY, z0}},
            {{texels.left(), v1}, {texels.right(), v1}, {texels.right(), v0}, {texels.left(), v0}},
            inside);
}

Mesh buildMesh()
{
    Mesh mesh(paintSize);
    const double slabBottomY = topY - slabThickness;
    mesh.beginGroup("tabletop", "tabletop");
    addTop(mesh, QRectF(topRegion).adjusted(texelInset, texelInset, -texelInset, -texelInset),
           {(minX + maxX) / 2, slabBottomY, (farZ + nearZ) / 2});
    mesh.beginGroup("edge", "edge");
    addBox(mesh, {minX, slabBottomY, farZ}, {maxX, topY, nearZ},
           {{}, slabBottom, slabFront, slabBack, slabLeft, slabRight});
    mesh.beginGroup("cabinet", "cabinet");
    const double ci = cabinetInset, pi = plinthInset;
    addBox(mesh, {minX + ci, bottomY + plinthHeight, farZ + ci},
           {maxX - ci, slabBottomY, nearZ - ci},
           {{}, {}, cabinetFront, cabinetBack, cabinetLeft, cabinetRight});
    mesh.beginGroup("plinth", "plinth");
    addBox(mesh, {minX + pi, bottomY, farZ + pi}, {maxX - pi, bottomY + plinthHeight, nearZ - pi},
           {{}, {}, plinthFront, plinthBack, plinthLeft, plinthRight});
    mesh.moveTexels(storedSize, storedPlace);
    return mesh;
}

} // namespace

ModelAsset makeTable()
{
    return {layout::tableModel,
            buildMesh(),
            {{"tabletop", surface, 30},
             {"edge", edgeMetal, 200},
             {"cabinet", cabinet, 20},
             {"plinth", plinth, 10}},
            storedTexture(paintTexture())};
}
