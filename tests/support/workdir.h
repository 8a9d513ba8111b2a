// SPDX-License-Identifier: MIT
// A temporary working directory for the client: its own clientSettings.xml,
// and a run directory's models and textures linked in when they exist.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The run directory staged by this tree's build.
QString radarRunDir();

class WorkDir
{
public:
    explicit WorkDir(const QString &runDir = radarRunDir());

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }

    // False when the file cannot be written.
    bool writeSettings(const QByteArray &xml);
    // Settings for host 127.0.0.1 and the port (any number, even one outside
    // 16 bits), plus any further elements.
    bool writeSettings(qint64 port, const QByteArray &extra = {});

private:
    QTemporaryDir dir;
};
