// SPDX-License-Identifier: MIT
#include "app/xmlguard.h"

#include <QHash>
#include <QTextCodec>
#include <QXmlStreamReader>

namespace {

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

} // namespace

// The DOM parser descends recursively, a few hundred bytes of stack per
// level, so a file nested some tens of thousands of levels deep overflows
// the stack. The stream reader keeps its own stack; a scan with it refuses
// such a file first, and with it any file that it finds not well-formed.

bool isSafeToParse(const QByteArray &bytes, int maxDepth, qint64 maxCharacters)
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
            if (text.isEmpty() ||
                !ExpansionBound(text, reader.entityDeclarations()).within(maxCharacters))
                return false;
            break;
        }
        case QXmlStreamReader::StartElement:
            if (++depth > maxDepth)
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
