// SPDX-License-Identifier: MIT
#include "workdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString radarRunDir()
{
    return QStringLiteral(RADAR_RUN_DIR);
}

WorkDir::WorkDir(const QString &runDir)
{
    for (const char *data : {"mdl", "textures"}) {
        const QString staged = QDir(runDir).filePath(data);
        if (QFileInfo(staged).isDir())
            QFile::link(staged, dir.filePath(data));
    }
}

bool WorkDir::writeSettings(const QByteArray &xml)
{
    QFile file(dir.filePath("clientSettings.xml"));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(xml) == xml.size();
}

bool WorkDir::writeSettings(qint64 port, const QByteArray &extra)
{
    return writeSettings("<settings><host>127.0.0.1</host><port>" + QByteArray::number(port) +
                         "</port>" + extra + "</settings>");
}
