// SPDX-License-Identifier: MIT
#include "net/hostport.h"

bool parseHostPort(const QString &text, QString *host, quint16 *port)
{
    const int colon = text.lastIndexOf(':');
    if (colon <= 0)
        return false;
    QString name = text.left(colon);
    if (name.startsWith('[') && name.endsWith(']'))
        name = name.mid(1, name.size() - 2);
    else if (name.contains(':'))
        return false; // an IPv6 address needs its brackets
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok, 10);
    if (name.isEmpty() || !ok || number == 0 || number > 0xffff)
        return false;
    *host = name;
    *port = quint16(number);
    return true;
}

QString formatHostPort(const QString &host, quint16 port)
{
    return (host.contains(':') ? '[' + host + ']' : host) + ':' + QString::number(port);
}
