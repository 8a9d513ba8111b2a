// SPDX-License-Identifier: MIT
// The client's data files, drawn by code: three models with their textures,
// the three textures of the blended squares and the default settings.
#pragma once

#include "assets/mesh.h"
#include "render/scenelayout.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

// Each model is built in scene coordinates to fill its layout placement
// exactly: the parts the viewer sees stay where the scene needs them, and
// the hidden ones (a bottom inside or under the table, a back) reach as far
// as the placement's box does. The OBJ file is written already fitted, and
// its material library beside it under the same base name.
struct ModelAsset
{
    layout::SceneModel model;    // file names and placement, as the client uses them
    Mesh mesh;                   // in scene coordinates, as the client will show it
    QVector<Material> materials; // every material the mesh's groups use
    QImage texture;              // painted at model.textureSize times a power of two
};

inline Vec3 toVec3(const layout::Point &p)
{
    return {p.x, p.y, p.z};
}

ModelAsset makeTable();
ModelAsset makeRadar();
ModelAsset makeDisplay();

// Painted at the layout's texture sizes times a power of two.
QImage makeDiscTexture();   // rings and bearings on transparency
QImage makeSweepTexture();  // green beam with a trail fading out
QImage makeMarkerTexture(); // a person symbol with alpha

// "clientSettings.xml" for a simulator on this machine.
QByteArray defaultClientSettings(quint16 port);
