// SPDX-License-Identifier: MIT
// The TUIO 1.1 protocol as radarsim's bridge follows it, fed with decoded
// OSC messages and free of sockets and clocks: every call gets the time, in
// ms on a clock that never goes back.
//
// Profiles: /tuio/2Dcur, /tuio/2Dobj and /tuio/2Dblb; messages of other
// addresses are ignored. A message's first argument is its command:
//   source NAME  names the tracker the following messages come from
//   alive S...   every session of the profile that lives now (int32 ids)
//   set S ...    a session's state: 2Dcur "set s x y ...", 2Dobj "set s i x y
//                ...", 2Dblb "set s x y ..."; only s, i, x and y are read
//                (ints int32, floats float32), further arguments are not
//   fseq F       ends the frame (int32)
// A message of a profile whose command is unknown, or whose arguments lack
// or mistype what is read, is malformed: counted and ignored, with a
// warning at most once per Throttle interval.
//
// Frames: alive and set messages wait until the fseq message of their
// profile; then they are applied together, or dropped together when the
// frame is late. A bundle starts a new frame: what a previous bundle left
// without fseq is dropped, and the source name is forgotten until the
// bundle's own source message. Messages outside bundles build a frame
// across datagrams until fseq. A frame without an alive message keeps the
// profile's sessions; a set for a session that is not alive is ignored; a
// session is a target once a set has placed it.
//
// Sources: a source message names the tracker the next messages come from.
// A named source is known by its host and name (so a tracker that restarts
// on another port keeps its place), one without a name by its host and UDP
// port, the sender's address. The frame being built and the name in force
// belong to the sending host: oscsend sends each message from a new port.
// A source not heard from for `silenceMs` is dropped with its targets.
//
// Frame numbers, per source and profile (a tracker may number the bundles
// of its profiles alike): a frame is accepted when its number is newer than
// the last accepted one. One that is not newer is late (a datagram
// reordered or repeated on the way) when it comes within lateWindowMs of
// the last accepted frame and at most lateWindowFrames behind it; otherwise
// the tracker has restarted and the frame is accepted (a restart is logged
// at most once per Throttle interval). Frame number -1 marks a redundant
// frame (TUIO 1.1): it is applied but leaves the last number as it was.
//
// Targets: x and y as sent, clamped to [0, 1] (TUIO's origin at the top
// left with y growing downwards is the table's far left corner as the
// viewer sees it, y growing towards the viewer), then mirrored and limited
// by FrameLimiter. Value: the session id's low 16 bits (the id modulo
// 65536), or with Value::ClassId the 2Dobj class id's low 16 bits (2Dcur and
// 2Dblb sessions keep their session id). Order: by source, profile,
// session id.
//
// Bounds: at most maxSources sources and maxHosts sending hosts (more are
// ignored, with a warning, until some fall silent); per source and profile
// at most maxSessions sessions (further ids of an alive or set message are
// ignored).
#pragma once

#include "sim/bridgeframe.h"
#include "sim/oscmessage.h"
#include "sim/simtarget.h"

#include <QString>
#include <QVector>

#include <array>
#include <map>
#include <utility>

class TuioTracker
{
public:
    enum class Value { Session, ClassId };

    static constexpr qint64 defaultSilenceMs = 1000;
    static constexpr int maxSources = 16;
    static constexpr int maxHosts = 16;
    static constexpr int maxSessions = 8192;
    static constexpr qint64 lateWindowMs = 500;
    static constexpr qint64 lateWindowFrames = 100;
    static constexpr qint32 redundantFrame = -1;

    struct Settings
    {
        Value value = Value::Session;
        qint64 silenceMs = defaultSilenceMs; // > 0
        Orientation orientation;
    };

    struct Counts
    {
        qint64 frames = 0;    // accepted
        qint64 late = 0;      // dropped as late or repeated
        qint64 restarts = 0;  // accepted as a restarted tracker's
        qint64 malformed = 0; // messages ignored
        qint64 refused = 0;   // messages of hosts or sources beyond the bounds
    };

    // Where a datagram came from.
    struct Sender
    {
        QString host; // an address as QHostAddress writes it
        quint16 port = 0;
    };

    TuioTracker(const Settings &settings, LogSink log);

    // A bundle from `sender` begins (nested bundles begin again).
    void bundle(const Sender &sender, qint64 nowMs);
    // One message from `sender`, in the order sent.
    void message(const Sender &sender, const OscMessage &message, qint64 nowMs);
    // The targets of every source's accepted frames, after dropping the
    // sources silent for longer than silenceMs.
    QVector<SimTarget> targets(qint64 nowMs);

    const Counts &counts() const { return count; }
    int sourceCount() const { return int(sources.size()); }

private:
    enum Profile { Cursor, Object, Blob, profileCount };

    struct Session
    {
        float x = 0.0f, y = 0.0f;
        qint32 classId = 0;
        bool placed = false;
    };
    using Sessions = std::map<qint32, Session>;

    struct PendingFrame
    {
        bool hasAlive = false;
        QVector<qint32> alive;
        Sessions sets; // placed sessions, by id
    };

    struct Host
    {
        QByteArray source; // named by the last source message; empty: none
        std::array<PendingFrame, profileCount> pending;
        qint64 heardMs = 0;
    };

    struct ProfileState
    {
        bool numbered = false; // a numbered frame has been accepted
        qint32 lastFrame = 0;
        qint64 lastFrameMs = 0;
        Sessions sessions; // alive
    };

    struct Source
    {
        std::array<ProfileState, profileCount> profiles;
        qint64 heardMs = 0;
    };
    using SourceKey = std::pair<QString, QByteArray>; // host and name, or host:port and ""

    static int profileOf(const QByteArray &path);
    static QString nameOf(const SourceKey &key);
    static SourceKey keyOf(const Sender &sender, const QByteArray &name);
    void dropSilent(qint64 nowMs);
    Host *hostFor(const QString &host, qint64 nowMs);
    Source *sourceFor(const SourceKey &key, qint64 nowMs);
    bool readAlive(const OscMessage &m, PendingFrame &frame);
    bool readSet(int profile, const OscMessage &m, PendingFrame &frame);
    void endFrame(const SourceKey &key, int profile, qint32 number, Host &host, qint64 nowMs);
    bool inOrder(const SourceKey &key, ProfileState &state, qint32 number, qint64 nowMs);
    void malformed(const QByteArray &path, const QString &why, qint64 nowMs);
    void refuse(const QString &what, qint64 nowMs);

    Settings settings;
    LogSink log;
    FrameLimiter limiter;
    std::map<QString, Host> hosts;
    std::map<SourceKey, Source> sources;
    Counts count;
    Throttle malformedWarning, restartWarning, refusedWarning;
    qint64 malformedSinceWarning = 0;
};
