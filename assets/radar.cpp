// SPDX-License-Identifier: MIT
// The radar: an open-array antenna on a turning unit, on a mast that rises
// through the table from a floor stand. The stand is what makes the model
// as wide as its placement (2 x scale) and centres it on the offset; it
// stays hidden under the table, so the visible part is a compact antenna.
#include "assets/assets.h"
#include "assets/shading.h"
#include "assets/shapes.h"
#include "render/pixelfont.h"

#include <QPainter>

#include <cmath>

namespace {

// Scene extents, about the vertical axis through the offset. The model's
// box spans y from standY0 to antennaY1, so the stand's bottom lies as far
// below the offset as the antenna's top lies above it.
constexpr layout::Placement placement = layout::radarModel.placement;
constexpr double axisX = placement.offset.x, axisZ = placement.offset.z;
constexpr double antennaHalfWidth = 0.8, antennaHalfDepth = 0.06, antennaY1 = 2.45;
constexpr double standHalfWidth = placement.scale;
constexpr double standY0 = 2 * placement.offset.y - antennaY1, standY1 = standY0 + 0.1;
constexpr double standHalfDepth = 0.2;
constexpr double mastRadius = 0.07, mastTopY = 2.05;
constexpr double flangeRadius = 0.2, flangeY0 = layout::tableTopY, flangeY1 = 1.48;
constexpr double unitHalfWidth = 0.16, unitHalfDepth = 0.13, unitTopY = 2.21;
constexpr int mastSegments = 16, flangeSegments = 24;

// Painted at this size, which the regions below are in; the run directory
// stores the painting reduced to the layout's texture size.
const QSize paintSize(512, 512);
const QRect antennaFront(0, 0, 512, 64), antennaBack(0, 64, 512, 32);
const QRect antennaTop(0, 96, 512, 16), antennaBottom(0, 112, 512, 16);
const QRect antennaLeft(0, 128, 32, 64), antennaRight(32, 128, 32, 64);
const QRect unitFront(64, 128, 128, 64), unitBack(192, 128, 128, 64);
const QRect unitRight(320, 128, 96, 64), unitLeft(416, 128, 96, 64);
const QRect unitTop(0, 192, 128, 64), unitBottom(128, 192, 128, 64);
const QRect flangeTop(256, 192, 64, 64), stand(384, 192, 128, 64);
const QRect mastBand(0, 256, 512, 64), flangeBand(0, 320, 512, 32);

const QColor antennaWhite(222, 226, 230);
const QColor unitGrey(74, 80, 88);
const QColor signalOrange(240, 128, 30);
const QColor steel(150, 156, 164);
const QColor darkSteel(92, 98, 106);

const Vec3 up{0, 1, 0}, down{0, -1, 0}, front{0, 0, 1}, back{0, 0, -1}, right{1, 0, 0},
    left{-1, 0, 0};

// The radiating face: a dark slot along the middle between ribbed covers.
void paintAntennaFront(QPainter &p)
{
    paintPanel(p, antennaFront, antennaWhite, front);
    const QRect slot(antennaFront.left() + 6, antennaFront.top() + 24, antennaFront.width() - 12,
                     16);
    p.fillRect(slot, QColor(34, 36, 40));
    for (int x = slot.left() + 8; x < slot.right(); x += 12)
        p.fillRect(QRect(x, slot.top() + 3, 4, slot.height() - 6), QColor(70, 74, 80));
    const QColor rib = scaled(shaded(antennaWhite, front), 0.82);
    for (int x = antennaFront.left() + 16; x < antennaFront.right() - 8; x += 32) {
        p.fillRect(QRect(x, antennaFront.top() + 6, 2, 14), rib);
        p.fillRect(QRect(x, antennaFront.top() + 44, 2, 14), rib);
    }
}

void paintUnitFront(QPainter &p)
{
    paintPanel(p, unitFront, unitGrey, front);
    p.fillRect(QRect(unitFront.left() + 2, unitFront.top() + 20, unitFront.width() - 4, 12),
               shaded(signalOrange, front));
    drawPixelText(p, QPointF(unitFront.left() + 38, unitFront.top() + 40), 2.5, "R2",
                  QColor(230, 232, 236));
}

void paintFlangeTop(QPainter &p)
{
    p.fillRect(flangeTop, shaded(darkSteel, up));
    p.setPen(Qt::NoPen);
    p.setBrush(scaled(shaded(darkSteel, up), 0.6));
    const QPointF c = QRectF(flangeTop).center();
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        p.drawEllipse(c + QPointF(std::cos(a), std::sin(a)) * 24, 3, 3);
    }
}

QImage paintTexture()
{
    QImage image(paintSize, QImage::Format_RGB32);
    image.fill(QColor(90, 90, 90));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintAntennaFront(p);
    paintPanel(p, antennaBack, antennaWhite, back);
    paintPanel(p, antennaTop, antennaWhite, up);
    paintPanel(p, antennaBottom, antennaWhite, down);
    paintPanel(p, antennaLeft, antennaWhite, left);
    paintPanel(p, antennaRight, antennaWhite, right);
    paintUnitFront(p);
    paintPanel(p, unitBack, unitGrey, back);
    paintPanel(p, unitRight, unitGrey, right);
    paintPanel(p, unitLeft, unitGrey, left);
    paintPanel(p, unitTop, unitGrey, up);
    paintPanel(p, unitBottom, unitGrey, down);
    paintFlangeTop(p);
    p.fillRect(stand, QColor(40, 42, 46));
    p.end();
    paintCylinderBand(image, mastBand, steel, 0.45);
    paintCylinderBand(image, flangeBand, darkSteel, 0.3);
    return image;
}

Mesh buildMesh()
{
    Mesh mesh(paintSize);
    mesh.beginGroup("stand", "stand");
    addBox(mesh, {axisX - standHalfWidth, standY0, axisZ - standHalfDepth},
           {axisX + standHalfWidth, standY1, axisZ + standHalfDepth},
           {stand, stand, stand, stand, stand, stand});
    mesh.beginGroup("mast", "steel");
    addCylinder(mesh, {axisX, standY1, axisZ}, mastRadius, mastTopY - standY1, mastSegments,
                mastBand, {}, {});
    mesh.beginGroup("flange", "darksteel");
    addCylinder(mesh, {axisX, flangeY0, axisZ}, flangeRadius, flangeY1 - flangeY0, flangeSegments,
                flangeBand, flangeTop, {});
    mesh.beginGroup("unit", "unit");
    addBox(mesh, {axisX - unitHalfWidth, mastTopY, axisZ - unitHalfDepth},
           {axisX + unitHalfWidth, unitTopY, axisZ + unitHalfDepth},
           {unitTop, unitBottom, unitFront, unitBack, unitLeft, unitRight});
    mesh.beginGroup("antenna", "antenna");
    addBox(mesh, {axisX - antennaHalfWidth, unitTopY, axisZ - antennaHalfDepth},
           {axisX + antennaHalfWidth, antennaY1, axisZ + antennaHalfDepth},
           {antennaTop, antennaBottom, antennaFront, antennaBack, antennaLeft, antennaRight});
    return mesh;
}

} // namespace

ModelAsset makeRadar()
{
    return {layout::radarModel,
            buildMesh(),
            {{"stand", QColor(40, 42, 46), 10},
             {"steel", steel, 300},
             {"darksteel", darkSteel, 200},
             {"unit", unitGrey, 60},
             {"antenna", antennaWhite, 120}},
            paintTexture()};
}
