#include "app/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTextCodec>
#include <QTextStream>
#include <QXmlStreamReader>

namespace {
const int saveIndent = 4;
const int floatDigits = 6;
const int intBase = 10;

// Both parsers expand internal entities, so a file under the size limit can
// still spell out hundreds of millions of characters (one small entity
// referred to a hundred thousand times, or entities nested ten deep). The
// expansion is bounded before anything is expanded: every entity's size with
// its references resolved, times the number of places its reference is
// written in the file (counting a reference inside a comment too only makes
// the bound safer). Entities that refer to themselves have no size.
class ExpansionBound
{
public:
    // text: the whole file, decoded as the parser decodes it.
    ExpansionBound(const QString &text, const QXmlStreamEntityDeclarations &declarations)
        : text(text)
    {
        for (const QXmlStreamEntityDeclaration &d : declarations)
            if (!values.contains(d.name().toString()))
                values.insert(d.name().toString(), d.value().toString());
    }

    // False when the document could expand beyond limit characters.
    bool within(qint64 limit)
    {
        qint64 total = text.size();
        for (auto it = values.cbegin(); it != values.cend() && total <= limit; ++it) {
            const qint64 uses = text.count(QLatin1Char('&') + it.key() + QLatin1Char(';'));
            const qint64 size = uses ? expandedSize(it.key(), limit) : 0;
            if (size < 0)
                return false;
            total += uses * qMin(size, limit + 1);
        }
        return total <= limit;
    }

private:
    // The entity's size with its references resolved, capped just above
    // limit; -1 for a cycle.
    qint64 expandedSize(const QString &name, qint64 limit)
    {
        if (sizes.contains(name))
            return sizes.value(name);
        sizes.insert(name, -1); // a reference back to it while it is measured is a cycle
        const QString value = values.value(name);
        qint64 size = 0;
        for (int i = 0; i < value.size() && size <= limit; ++i) {
            const int end = value.indexOf(QLatin1Char(';'), i);
            if (value.at(i) != QLatin1Char('&') || end < 0) {
                ++size;
                continue;
            }
            const QString inner = value.mid(i + 1, end - i - 1);
            qint64 innerSize = 1; // a character or predefined reference
            if (values.contains(inner)) {
                innerSize = expandedSize(inner, limit);
                if (innerSize < 0)
                    return -1;
            }
            size += innerSize;
            i = end;
        }
        size = qMin(size, limit + 1);
        sizes.insert(name, size);
        return size;
    }

    const QString &text;
    QHash<QString, QString> values;
    QHash<QString, qint64> sizes;
};

// The file as the parser reads it: a byte-order mark decides, else the
// declared encoding, else UTF-8. Empty when that decoding is not the one the
// parser used (its DTD is not found in the text), so the caller refuses.
QString decodedAsParsed(const QByteArray &bytes, const QString &declaredEncoding)
{
    QTextCodec *codec = QTextCodec::codecForUtfText(bytes, nullptr);
    if (!codec && !declaredEncoding.isEmpty())
        codec = QTextCodec::codecForName(declaredEncoding.toLatin1());
    if (!codec)
        codec = QTextCodec::codecForName("UTF-8");
    const QString text = codec ? codec->toUnicode(bytes) : QString();
    return text.contains(QLatin1String("<!DOCTYPE")) ? text : QString();
}

// The toolkit's DOM parser descends recursively, a few hundred bytes of
// stack per level, so a file nested some tens of thousands of levels deep
// overflows the stack. The stream reader keeps its own stack; a scan with it
// refuses such a file first, and with it any file that it finds not
// well-formed. Namespaces are not processed, as in the DOM parse.
bool isWellFormedAndShallow(const QByteArray &bytes)
{
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    int depth = 0;
    QString encoding;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            encoding = reader.documentEncoding().toString();
            break;
        case QXmlStreamReader::DTD: {
            const QString text = decodedAsParsed(bytes, encoding);
            if (text.isEmpty() || !ExpansionBound(text, reader.entityDeclarations())
                                       .within(SettingsFile::maxFileBytes))
                return false;
            break;
        }
        case QXmlStreamReader::StartElement:
            if (++depth > SettingsFile::maxNestingDepth)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}
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
    if (bytes.size() > maxFileBytes || !isWellFormedAndShallow(bytes) ||
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
