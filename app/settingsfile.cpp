// SPDX-License-Identifier: MIT
#include "app/settingsfile.h"

#include "app/xmlguard.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {
const int saveIndent = 4;
const int floatDigits = 6;
const int intBase = 10;

} // namespace

const qint64 SettingsFile::maxFileBytes;
const int SettingsFile::maxNestingDepth;

SettingsFile::SettingsFile(const QString &fileName)
{
    // Parsing replaces this document type with the file's own.
    QDomDocument parsed("settings");
    // A pipe would block the client before any window, and a device can be
    // endless: only regular files (or links to them) are settings files.
    if (!QFileInfo(fileName).isFile())
        throw new SettingsError;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw new SettingsError;
    // One byte more than allowed tells a file that is too large, also one
    // that grows while it is read.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    file.close();
    if (bytes.size() > maxFileBytes || !isSafeToParse(bytes, maxNestingDepth, maxFileBytes) ||
        !parsed.setContent(bytes, false))
        throw new SettingsError;
    doc = parsed;
    this->fileName = fileName;
}

QDomElement SettingsFile::findElement(const QString &name) const
{
    return doc.documentElement().firstChildElement(name);
}

int SettingsFile::readInt(const QString &name, int defaultValue) const
{
    const QDomElement element = findElement(name);
    if (element.isNull())
        return defaultValue;
    bool ok = false;
    const int value = element.text().toInt(&ok, intBase);
    return ok ? value : defaultValue;
}

float SettingsFile::readFloat(const QString &name, float defaultValue) const
{
    const QDomElement element = findElement(name);
    if (element.isNull())
        return defaultValue;
    bool ok = false;
    const float value = element.text().toFloat(&ok);
    return ok ? value : defaultValue;
}

bool SettingsFile::readBool(const QString &name, bool defaultValue) const
{
    const QDomElement element = findElement(name);
    if (element.isNull())
        return defaultValue;
    const QString text = element.text().trimmed();
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return defaultValue;
}

QString SettingsFile::readString(const QString &name, const QString &defaultValue) const
{
    const QDomElement element = findElement(name);
    return element.isNull() ? defaultValue : element.text();
}

void SettingsFile::writeElement(const QString &name, const QString &value)
{
    QDomElement element = doc.createElement(name);
    element.appendChild(doc.createTextNode(value));
    QDomElement root = doc.documentElement();
    const QDomElement old = root.firstChildElement(name);
    if (old.isNull())
        root.appendChild(element);
    else
        root.replaceChild(element, old);
}

void SettingsFile::setInt(const QString &name, int value)
{
    writeElement(name, QString::number(value, intBase));
}

void SettingsFile::setFloat(const QString &name, float value)
{
    writeElement(name, QString::number(double(value), 'g', floatDigits));
}

void SettingsFile::save()
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw new SettingsError;
    QTextStream out(&file);
    doc.save(out, saveIndent);
}
