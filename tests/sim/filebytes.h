// SPDX-License-Identifier: MIT
// Test support: a whole file written or read in one call.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// True when `bytes` are all written to `path`, replacing what was there.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
