#include "workdir.h"

#include <QFile>
#include <QFileInfo>

WorkDir::WorkDir()
{
    for (const char *data : {"mdl", "textures"}) {
        const QString staged = QStringLiteral(RADAR_RUN_DIR "/") + data;
        if (QFileInfo(staged).isDir())
            QFile::link(staged, dir.filePath(data));
    }
}

void WorkDir::writeSettings(const QByteArray &xml)
{
    QFile file(dir.filePath("clientSettings.xml"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(xml);
}

void WorkDir::writeSettings(qint64 port, const QByteArray &extra)
{
    writeSettings("<settings><host>127.0.0.1</host><port>" + QByteArray::number(port) + "</port>" +
                  extra + "</settings>");
}
