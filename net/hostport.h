// SPDX-License-Identifier: MIT
// "HOST:PORT" as the server tools take it on their command lines.
#pragma once

#include <QString>
#include <QtGlobal>

// Splits text at its last colon. An IPv6 address needs brackets
// ("[::1]:3333"), which are removed. False, leaving host and port unchanged,
// for an empty host, a port that is not a decimal number in 1..65535, or an
// unbracketed IPv6 address.
bool parseHostPort(const QString &text, QString *host, quint16 *port);

// "host:port", with an IPv6 host in brackets: the form parseHostPort reads.
QString formatHostPort(const QString &host, quint16 port);
