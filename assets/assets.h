// The client's data files, drawn by code: three models with their textures,
// the three textures of the blended squares and the default settings.
#pragma once

#include "assets/mesh.h"
#include "assets/placement.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

struct ModelAsset
{
    QString baseName;            // "radar2": mdl/radar2.obj with mdl/radar2.mtl
    QString textureFile;         // relative to the run directory
    Mesh mesh;                   // in scene coordinates, as the client will show it
    QVector<Material> materials; // every material the mesh's groups use
    Placement placement;
    QImage texture;
};

ModelAsset makeTable();   // "mdl/radartisch.obj", "textures/radartischr2t.png"
ModelAsset makeRadar();   // "mdl/radar2.obj", "textures/radarr2t2.png"
ModelAsset makeDisplay(); // "mdl/radardisplay.obj", "textures/radardisplay.png"

QImage makeDiscTexture();   // "textures/radarscheibe.png": rings and bearings on transparency
QImage makeSweepTexture();  // "textures/radgreen.png": green beam with a trail fading out
QImage makeMarkerTexture(); // "textures/person.png": a person symbol with alpha

// "clientSettings.xml" for a simulator on this machine.
QByteArray defaultClientSettings(quint16 port);
