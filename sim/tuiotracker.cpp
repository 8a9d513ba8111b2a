// SPDX-License-Identifier: MIT
#include "sim/tuiotracker.h"

#include "net/hostport.h"

#include <algorithm>
#include <cmath>

namespace {

const QByteArray profilePaths[] = {"/tuio/2Dcur", "/tuio/2Dobj", "/tuio/2Dblb"};

bool isInt(const OscMessage &m, int at)
{
    return at < m.args.size() && m.args[at].type == 'i';
}

bool isFiniteFloat(const OscMessage &m, int at)
{
    return at < m.args.size() && m.args[at].type == 'f' && std::isfinite(m.args[at].f);
}

// Trackers send positions slightly outside the square now and then; the
// table's edge is the nearest place it can show them.
float clampUnit(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

quint16 low16(qint32 id)
{
    return quint16(quint32(id) & 0xffffu);
}

} // namespace

TuioTracker::TuioTracker(const Settings &settings, LogSink log)
    : settings(settings), log(log), limiter(settings.orientation, log)
{
}

int TuioTracker::profileOf(const QByteArray &path)
{
    for (int p = 0; p < profileCount; ++p)
        if (path == profilePaths[p])
            return p;
    return -1;
}

QString TuioTracker::nameOf(const SourceKey &key)
{
    if (key.second.isEmpty())
        return "TUIO sender " + key.first;
    return "TUIO source \"" + QString::fromUtf8(key.second) + "\" from " + key.first;
}

TuioTracker::SourceKey TuioTracker::keyOf(const Sender &sender, const QByteArray &name)
{
    if (name.isEmpty())
        return {formatHostPort(sender.host, sender.port), {}};
    return {sender.host, name};
}

void TuioTracker::bundle(const Sender &sender, qint64 nowMs)
{
    Host *s = hostFor(sender.host, nowMs);
    if (!s)
        return;
    // A frame never spans bundles, and a bundle names its own source.
    s->source.clear();
    s->pending = {};
}

void TuioTracker::message(const Sender &sender, const OscMessage &m, qint64 nowMs)
{
    const int profile = profileOf(m.path);
    if (profile < 0)
        return;
    if (m.args.isEmpty() || m.args[0].type != 's')
        return malformed(m.path, "no command", nowMs);
    Host *s = hostFor(sender.host, nowMs);
    if (!s)
        return;
    const QByteArray &command = m.args[0].s;
    if (command == "source") {
        if (m.args.size() < 2 || m.args[1].type != 's')
            return malformed(m.path, "source without a name", nowMs);
        s->source = m.args[1].s;
        return;
    }
    const SourceKey key = keyOf(sender, s->source);
    if (!sourceFor(key, nowMs))
        return;
    PendingFrame &frame = s->pending[profile];
    if (command == "alive") {
        if (!readAlive(m, frame))
            malformed(m.path, "alive with an argument that is no int32", nowMs);
    } else if (command == "set") {
        if (!readSet(profile, m, frame))
            malformed(m.path, "set without the ids and the finite position it needs", nowMs);
    } else if (command == "fseq") {
        if (!isInt(m, 1))
            return malformed(m.path, "fseq without an int32", nowMs);
        endFrame(key, profile, m.args[1].i, *s, nowMs);
    } else {
        malformed(m.path, "unknown command \"" + QString::fromUtf8(command.left(32)) + "\"", nowMs);
    }
}

bool TuioTracker::readAlive(const OscMessage &m, PendingFrame &frame)
{
    for (int a = 1; a < m.args.size(); ++a)
        if (m.args[a].type != 'i')
            return false;
    frame.hasAlive = true;
    frame.alive.clear();
    const int ids = std::min<int>(m.args.size() - 1, maxSessions);
    frame.alive.reserve(ids);
    for (int a = 1; a <= ids; ++a)
        frame.alive.push_back(m.args[a].i);
    return true;
}

bool TuioTracker::readSet(int profile, const OscMessage &m, PendingFrame &frame)
{
    // 2Dobj carries the class id between the session id and the position.
    const int xAt = profile == Object ? 3 : 2;
    if (!isInt(m, 1) || (profile == Object && !isInt(m, 2)) || !isFiniteFloat(m, xAt) ||
        !isFiniteFloat(m, xAt + 1))
        return false;
    const qint32 id = m.args[1].i;
    if (frame.sets.size() >= size_t(maxSessions) && frame.sets.count(id) == 0)
        return true; // bounded: the frame already places as many sessions as a profile holds
    Session &session = frame.sets[id];
    session.x = clampUnit(m.args[xAt].f);
    session.y = clampUnit(m.args[xAt + 1].f);
    session.classId = profile == Object ? m.args[2].i : 0;
    session.placed = true;
    return true;
}

void TuioTracker::endFrame(const SourceKey &key, int profile, qint32 number, Host &host,
                           qint64 nowMs)
{
    PendingFrame frame = std::move(host.pending[profile]);
    host.pending[profile] = {};
    ProfileState &state = sources.at(key).profiles[profile];
    if (!inOrder(key, state, number, nowMs)) {
        ++count.late;
        return;
    }
    ++count.frames;
    if (frame.hasAlive) {
        Sessions alive;
        for (qint32 id : frame.alive) {
            const auto known = state.sessions.find(id);
            alive[id] = known != state.sessions.end() ? known->second : Session{};
        }
        state.sessions = std::move(alive);
    }
    for (const auto &[id, placed] : frame.sets) {
        const auto session = state.sessions.find(id);
        if (session != state.sessions.end())
            session->second = placed;
    }
}

bool TuioTracker::inOrder(const SourceKey &key, ProfileState &state, qint32 number, qint64 nowMs)
{
    if (number == redundantFrame)
        return true;
    const bool first = !state.numbered;
    const qint64 behind = qint64(state.lastFrame) - qint64(number);
    const qint64 quietMs = nowMs - state.lastFrameMs;
    if (!first && behind >= 0) {
        if (behind <= lateWindowFrames && quietMs <= lateWindowMs)
            return false;
        ++count.restarts;
        if (restartWarning.due(nowMs))
            log(QString("%1 restarted: frame %2 after frame %3 (%4 ms before)")
                    .arg(nameOf(key))
                    .arg(number)
                    .arg(state.lastFrame)
                    .arg(quietMs));
    }
    state.numbered = true;
    state.lastFrame = number;
    state.lastFrameMs = nowMs;
    return true;
}

void TuioTracker::dropSilent(qint64 nowMs)
{
    for (auto it = sources.begin(); it != sources.end();) {
        if (nowMs - it->second.heardMs > settings.silenceMs) {
            log(QString("%1 silent for more than %2 ms: its targets are gone")
                    .arg(nameOf(it->first))
                    .arg(settings.silenceMs));
            it = sources.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = hosts.begin(); it != hosts.end();)
        it = nowMs - it->second.heardMs > settings.silenceMs ? hosts.erase(it) : std::next(it);
}

TuioTracker::Host *TuioTracker::hostFor(const QString &host, qint64 nowMs)
{
    auto it = hosts.find(host);
    if (it == hosts.end()) {
        dropSilent(nowMs);
        if (int(hosts.size()) >= maxHosts) {
            refuse("TUIO host " + host, nowMs);
            return nullptr;
        }
        it = hosts.emplace(host, Host{}).first;
    }
    it->second.heardMs = nowMs;
    return &it->second;
}

TuioTracker::Source *TuioTracker::sourceFor(const SourceKey &key, qint64 nowMs)
{
    auto it = sources.find(key);
    if (it == sources.end()) {
        dropSilent(nowMs);
        if (int(sources.size()) >= maxSources) {
            refuse(nameOf(key), nowMs);
            return nullptr;
        }
        it = sources.emplace(key, Source{}).first;
        log(nameOf(key) + " appeared");
    }
    it->second.heardMs = nowMs;
    return &it->second;
}

void TuioTracker::malformed(const QByteArray &path, const QString &why, qint64 nowMs)
{
    ++count.malformed;
    ++malformedSinceWarning;
    if (malformedWarning.due(nowMs)) {
        log(QString("ignored %1 malformed TUIO message(s), the last on %2: %3")
                .arg(malformedSinceWarning)
                .arg(QString::fromUtf8(path))
                .arg(why));
        malformedSinceWarning = 0;
    }
}

void TuioTracker::refuse(const QString &what, qint64 nowMs)
{
    ++count.refused;
    if (refusedWarning.due(nowMs))
        log(QString("ignoring %1: too many TUIO sources and hosts at once").arg(what));
}

QVector<SimTarget> TuioTracker::targets(qint64 nowMs)
{
    dropSilent(nowMs);
    QVector<SimTarget> out;
    for (const auto &[key, source] : sources)
        for (int p = 0; p < profileCount; ++p)
            for (const auto &[id, session] : source.profiles[p].sessions) {
                if (!session.placed)
                    continue;
                const bool byClass = settings.value == Value::ClassId && p == Object;
                out.push_back({session.x, session.y, low16(byClass ? session.classId : id)});
            }
    return limiter(std::move(out), nowMs);
}
