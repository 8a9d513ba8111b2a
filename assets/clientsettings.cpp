// SPDX-License-Identifier: MIT
#include "assets/assets.h"

QByteArray defaultClientSettings(quint16 port)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<settings>\n"
           "    <host>localhost</host>\n"
           "    <port>" +
           QByteArray::number(port) +
           "</port>\n"
           "    <timeToLive>0</timeToLive>\n"
           "</settings>\n";
}
