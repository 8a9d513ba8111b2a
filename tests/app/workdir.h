// A temporary working directory for the client: its own clientSettings.xml,
// and the run directory's models and textures linked in when they exist.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class WorkDir
{
public:
    WorkDir();

    bool isValid() const { return dir.isValid(); }
    QString path() const { return dir.path(); }

    void writeSettings(const QByteArray &xml);
    // Settings for host 127.0.0.1 and the port, plus any further elements.
    void writeSettings(qint64 port, const QByteArray &extra = {});

private:
    QTemporaryDir dir;
};
