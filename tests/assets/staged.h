// SPDX-License-Identifier: MIT
// The generated files the build stages into the run directory (besides
// clientSettings.xml, which users and scripts/demo edit there).
#pragma once

#include "render/scenelayout.h"

#include <QString>
#include <QStringList>

inline QString stagedPath(const QString &relative)
{
    return QString(RADAR_RUN_DIR_PATH) + '/' + relative;
}

// The scene layout's models, each followed by its material library, then
// all its textures.
inline const QStringList &stagedFiles()
{
    static const QStringList files = [] {
        QStringList list;
        for (const layout::SceneModel &m :
             {layout::radarModel, layout::tableModel, layout::displayModel}) {
            const QString obj = QString::fromLatin1(m.modelFile);
            list << obj << obj.chopped(4) + ".mtl";
        }
        for (const char *texture : {layout::radarModel.textureFile, layout::tableModel.textureFile,
                                    layout::discTextureFile, layout::sweepTextureFile,
                                    layout::displayModel.textureFile, layout::markerTextureFile})
            list << QString::fromLatin1(texture);
        return list;
    }();
    return files;
}
