// SPDX-License-Identifier: MIT
#include "tuioframe.h"

#include <lo/lo.h>

#include <cstdlib>

namespace {

lo_message command(const char *word)
{
    lo_message m = lo_message_new();
    lo_message_add_string(m, word);
    return m;
}

} // namespace

QByteArray tuioBundle(const TuioFrame &frame)
{
    const char *path = frame.profile.constData();
    lo_bundle bundle = lo_bundle_new(LO_TT_IMMEDIATE);
    if (!frame.source.isEmpty()) {
        lo_message source = command("source");
        lo_message_add_string(source, frame.source.constData());
        lo_bundle_add_message(bundle, path, source);
    }
    lo_message alive = command("alive");
    for (qint32 id : frame.alive)
        lo_message_add_int32(alive, id);
    lo_bundle_add_message(bundle, path, alive);
    for (const TuioSet &s : frame.sets) {
        lo_message set = command("set");
        lo_message_add_int32(set, s.session);
        if (frame.profile == "/tuio/2Dobj") {
            // s i x y a X Y A m r
            lo_message_add_int32(set, s.classId);
            lo_message_add_float(set, s.x);
            lo_message_add_float(set, s.y);
            for (int rest = 0; rest < 6; ++rest)
                lo_message_add_float(set, 0.0f);
        } else {
            // 2Dcur: s x y X Y m; 2Dblb: s x y a w h f X Y A m r
            lo_message_add_float(set, s.x);
            lo_message_add_float(set, s.y);
            const int rest = frame.profile == "/tuio/2Dblb" ? 9 : 3;
            for (int r = 0; r < rest; ++r)
                lo_message_add_float(set, 0.0f);
        }
        lo_bundle_add_message(bundle, path, set);
    }
    lo_message fseq = command("fseq");
    lo_message_add_int32(fseq, frame.fseq);
    lo_bundle_add_message(bundle, path, fseq);

    size_t size = 0;
    void *bytes = lo_bundle_serialise(bundle, nullptr, &size);
    const QByteArray packet(static_cast<const char *>(bytes), int(size));
    std::free(bytes);
    lo_bundle_free_recursive(bundle);
    return packet;
}
