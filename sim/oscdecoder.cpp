// SPDX-License-Identifier: MIT
#include "sim/oscdecoder.h"

#include <QDir>
#include <QTemporaryDir>

#include <lo/lo.h>

#include <cstring>

namespace {

// liblo's callbacks get the user data given when they were added: the
// address of the decoder's pointer to the handler of the packet at hand.
const OscPacketHandler &handlerOf(void *userData)
{
    return **static_cast<const OscPacketHandler *const *>(userData);
}

int onMessage(const char *path, const char *types, lo_arg **argv, int argc, lo_message,
              void *userData)
{
    const OscPacketHandler &handler = handlerOf(userData);
    OscMessage m;
    m.path = path;
    m.args.resize(argc);
    for (int a = 0; a < argc; ++a) {
        OscArgument &arg = m.args[a];
        arg.type = types[a];
        // liblo's arguments point into the packet, 4-byte aligned, while
        // lo_arg (a union with 64-bit members) wants 8: copy, never access.
        const char *value = reinterpret_cast<const char *>(argv[a]);
        if (arg.type == LO_INT32)
            std::memcpy(&arg.i, value, sizeof arg.i);
        else if (arg.type == LO_FLOAT)
            std::memcpy(&arg.f, value, sizeof arg.f);
        else if (arg.type == LO_STRING)
            arg.s = QByteArray(value);
    }
    handler.message(m);
    return 0; // handled
}

int onBundle(lo_timetag, void *userData)
{
    handlerOf(userData).bundle();
    return 0;
}

int onBundleEnd(void *)
{
    return 0;
}

} // namespace

OscDecoder::OscDecoder()
{
    // liblo dispatches only through a server, and every server owns a
    // socket. A Unix-domain one whose name is removed at once listens
    // nowhere: no UDP port opens besides the bridge's own.
    QTemporaryDir dir;
    if (!dir.isValid()) {
        message = "cannot make a temporary directory for liblo: " + dir.errorString();
        return;
    }
    const QByteArray path = QDir(dir.path()).filePath("osc").toLocal8Bit();
    lo_server s = lo_server_new_with_proto(path.constData(), LO_UNIX, nullptr);
    if (!s) {
        message = "liblo cannot make its decoder";
        return;
    }
    lo_server_enable_queue(s, 0, 0);
    lo_server_add_method(s, nullptr, nullptr, onMessage, &current);
    lo_server_add_bundle_handlers(s, onBundle, onBundleEnd, &current);
    server = s;
}

OscDecoder::~OscDecoder()
{
    if (server)
        lo_server_free(server);
}

bool OscDecoder::decode(const QByteArray &packet, const OscPacketHandler &handler)
{
    if (!server || packet.isEmpty())
        return false;
    current = &handler;
    // liblo wants a pointer it may write through: give it a copy.
    QByteArray bytes = packet;
    const int used = lo_server_dispatch_data(server, bytes.data(), size_t(bytes.size()));
    current = nullptr;
    return used > 0;
}
