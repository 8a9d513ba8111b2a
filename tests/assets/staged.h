// The generated files the build stages into the run directory (besides
// clientSettings.xml, which users and scripts/demo edit there).
#pragma once

#include <QString>
#include <QStringList>

inline QString stagedPath(const QString &relative)
{
    return QString(RADAR_RUN_DIR_PATH) + '/' + relative;
}

inline const QStringList &stagedFiles()
{
    static const QStringList files{"mdl/radar2.obj",
                                   "mdl/radar2.mtl",
                                   "mdl/radartisch.obj",
                                   "mdl/radartisch.mtl",
                                   "mdl/radardisplay.obj",
                                   "mdl/radardisplay.mtl",
                                   "textures/radarr2t2.png",
                                   "textures/radartischr2t.png",
                                   "textures/radarscheibe.png",
                                   "textures/radgreen.png",
                                   "textures/radardisplay.png",
                                   "textures/person.png"};
    return files;
}
