// SPDX-License-Identifier: MIT
#include "sim/sbsfeed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double feetPerValueStep = 100.0;
constexpr double largestValue = 0xffff;

} // namespace

SbsFeed::SbsFeed(const Settings &settings, LogSink log)
    : settings(settings), projection(settings.site, settings.rangeKm), log(log),
      limiter(settings.orientation, log)
{
}

void SbsFeed::receive(const char *data, qint64 size, qint64 nowMs)
{
    const char *const end = data + size;
    while (data < end) {
        const char *newline =
            static_cast<const char *>(std::memchr(data, '\n', size_t(end - data)));
        const char *pieceEnd = newline ? newline : end;
        const qint64 piece = pieceEnd - data;
        if (!skippingLine && partial.size() + piece > maxLineBytes) {
            skippingLine = true;
            partial.clear();
        }
        if (!skippingLine)
            partial.append(data, int(piece));
        if (!newline)
            return;
        ++count.lines;
        if (skippingLine)
            malformed("longer than the longest line read", nowMs);
        else
            line(partial.constData(), partial.size(), nowMs);
        partial.clear();
        skippingLine = false;
        data = newline + 1;
    }
}

void SbsFeed::restart()
{
    partial.clear();
    skippingLine = false;
}

void SbsFeed::line(const char *data, int size, qint64 nowMs)
{
    const SbsLine parsed = parseSbsLine(data, size);
    if (parsed.kind == SbsLine::Malformed)
        return malformed(parsed.why, nowMs);
    if (parsed.kind != SbsLine::Message)
        return;
    const SbsMessage &m = parsed.message;
    auto it = aircraft.find(m.address);
    if (it == aircraft.end()) {
        if (int(aircraft.size()) >= maxAircraft)
            dropGone(nowMs);
        if (int(aircraft.size()) >= maxAircraft) {
            ++count.refused;
            if (refusedWarning.due(nowMs))
                log(QString("following %1 aircraft already; ignoring new ones (%2 lines so far)")
                        .arg(maxAircraft)
                        .arg(count.refused));
            return;
        }
        it = aircraft.emplace(m.address, Aircraft{}).first;
    }
    Aircraft &a = it->second;
    a.heardMs = nowMs;
    if (m.altitudeFt)
        a.altitudeFt = m.altitudeFt;
    if (m.latitude && m.longitude)
        a.position = GeoPoint{*m.latitude, *m.longitude};
}

void SbsFeed::malformed(const char *why, qint64 nowMs)
{
    ++count.malformed;
    ++malformedSinceWarning;
    if (malformedWarning.due(nowMs)) {
        log(QString("skipped %1 malformed SBS line(s), the last: %2")
                .arg(malformedSinceWarning)
                .arg(why));
        malformedSinceWarning = 0;
    }
}

void SbsFeed::dropGone(qint64 nowMs)
{
    for (auto it = aircraft.begin(); it != aircraft.end();)
        it = nowMs - it->second.heardMs > goneAfterMs ? aircraft.erase(it) : std::next(it);
}

quint16 SbsFeed::valueOf(quint32 address, const Aircraft &a) const
{
    if (settings.value == Value::Address)
        return quint16(address & 0xffffu);
    if (!a.altitudeFt)
        return 0;
    return quint16(std::clamp(std::round(*a.altitudeFt / feetPerValueStep), 0.0, largestValue));
}

QVector<SimTarget> SbsFeed::targets(qint64 nowMs)
{
    dropGone(nowMs);
    QVector<SimTarget> out;
    for (const auto &[address, a] : aircraft) {
        if (!a.position)
            continue;
        if (const auto at = projection.toUnitSquare(*a.position))
            out.push_back({float(at->x()), float(at->y()), valueOf(address, a)});
    }
    return limiter(std::move(out), nowMs);
}
