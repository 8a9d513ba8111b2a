// SPDX-License-Identifier: MIT
// The client's settings: an XML file whose root element's direct children
// hold one value each, found by exact tag name (the first such child counts).
// Reads and writes work on the document in memory; only save() touches disk.
#pragma once

#include <QDomDocument>
#include <QString>

// Thrown as a pointer to a new object (throw new SettingsError); the catcher
// deletes it. Carries no message.
class SettingsError
{
};

class SettingsFile
{
public:
    // A settings file holds three short values; anything larger is refused
    // rather than parsed for seconds into a DOM of gigabytes.
    static const qint64 maxFileBytes = 1 << 20;
    // Deeper documents are refused: the toolkit's parser would run out of
    // stack on them.
    static const int maxNestingDepth = 256;

    // Opens and parses the file. Throws new SettingsError when it is not a
    // regular file (a pipe or a device, also behind a link), cannot be
    // opened, is larger than maxFileBytes, could expand its entities to more
    // than maxFileBytes characters, is nested deeper than maxNestingDepth
    // elements or is not well-formed XML (an empty file included).
    explicit SettingsFile(const QString &fileName);

    // The child's text as a base-10 integer / float; the default when the
    // child is missing or its text does not convert.
    int readInt(const QString &name, int defaultValue) const;
    float readFloat(const QString &name, float defaultValue) const;
    // The child's text as an XML boolean: true or 1, false or 0, spaces
    // around allowed; the default when the child is missing or its text is
    // anything else.
    bool readBool(const QString &name, bool defaultValue) const;
    // The child's text exactly as written (not trimmed, may be empty); the
    // default only when the child is missing.
    QString readString(const QString &name, const QString &defaultValue) const;

    // Replaces the first child of that name by <name>value</name>, or appends
    // one as the root's last child.
    void writeElement(const QString &name, const QString &value);
    void setInt(const QString &name, int value);
    // Written in the general format with 6 significant digits: 0.1, 1.23457e+06.
    void setFloat(const QString &name, float value);

    // Writes the document back to the file it was read from, indented by 4.
    // Throws new SettingsError when the file cannot be opened for writing.
    void save();

private:
    QDomElement findElement(const QString &name) const;

    QDomDocument doc;
    QString fileName;
};
