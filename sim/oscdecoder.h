// SPDX-License-Identifier: MIT
// Decodes OSC 1.0 packets with liblo: a message, or a bundle of messages and
// nested bundles. The bridge receives the datagrams itself (liblo's own UDP
// server, as Debian builds it, speaks IPv4 only and cannot bind a chosen
// address), and liblo takes each one apart.
//
// Bundles are delivered at once, whatever their time tag: a tracker's clock
// need not agree with ours, and the table wants the latest positions now.
#pragma once

#include "sim/oscmessage.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct OscPacketHandler
{
    std::function<void()> bundle;                    // a bundle begins
    std::function<void(const OscMessage &)> message; // in the order of the packet
};

class OscDecoder
{
public:
    OscDecoder();
    ~OscDecoder();
    OscDecoder(const OscDecoder &) = delete;
    OscDecoder &operator=(const OscDecoder &) = delete;

    // False when liblo could not be set up; error() says why.
    bool isValid() const { return server != nullptr; }
    QString error() const { return message; }

    // Hands the packet's bundles and messages to `handler`, in order. False
    // when liblo refuses the packet; the messages before the fault have been
    // handed over by then.
    bool decode(const QByteArray &packet, const OscPacketHandler &handler);

private:
    void *server = nullptr;                    // a lo_server
    const OscPacketHandler *current = nullptr; // while decode() runs
    QString message;
};
