// SPDX-License-Identifier: MIT
// The BaseStation bridge's input side on arbitrary bytes: the line parser
// on every line, and the feed on the whole stream in pieces.
//
// Input: one control byte (the feed's piece size, 1 to 64), then the
// stream.
//
// Checked, per line: the parser reads only the line's bytes (each is an
// exact-size heap copy, so AddressSanitizer sees any read beyond); a MSG
// line it accepts holds a transmission type 1 to 8, an address of 24 bits
// (and the non-ICAO flag), and latitude and longitude together and in
// range; written back as a canonical line, it parses to the same fields
// (the oracle). For the feed: every newline ends a line, no more lines are
// malformed than read, the aircraft stay within their bound and every
// target within the unit square.
#include "fuzzcheck.h"
#include "sim/sbsfeed.h"
#include "sim/sbsline.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int maxPieceBytes = 64;
constexpr double wideRangeKm = SiteProjection::maxRangeKm;

SbsLine parseCopy(const std::string &line)
{
    auto bytes = std::make_unique<char[]>(line.size());
    std::memcpy(bytes.get(), line.data(), line.size());
    return parseSbsLine(bytes.get(), int(line.size()));
}

std::string degrees(double v)
{
    char text[400];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
    check(error == std::errc());
    return std::string(text, end);
}

// The fields as a receiver would write them, the others empty.
std::string canonical(const SbsMessage &m)
{
    char address[16];
    std::snprintf(address, sizeof address, "%s%06X", m.address & SbsMessage::nonIcaoFlag ? "~" : "",
                  unsigned(m.address & 0xffffffu));
    std::string line = "MSG," + std::to_string(m.transmissionType) + ",,," + address + ",,,,,,," +
                       (m.altitudeFt ? std::to_string(*m.altitudeFt) : "") + ",,,";
    if (m.latitude)
        line += degrees(*m.latitude) + "," + degrees(*m.longitude);
    else
        line += ",";
    return line + ",,,,,,";
}

void checkLine(const std::string &line)
{
    const SbsLine parsed = parseCopy(line);
    if (parsed.kind != SbsLine::Message)
        return;
    const SbsMessage &m = parsed.message;
    check(m.transmissionType >= 1 && m.transmissionType <= 8);
    check(m.address <= (SbsMessage::nonIcaoFlag | 0xffffffu));
    check(bool(m.latitude) == bool(m.longitude));
    if (m.latitude)
        check(std::fabs(*m.latitude) <= GeoPoint::maxLatitude &&
              std::fabs(*m.longitude) <= GeoPoint::maxLongitude);

    const SbsLine again = parseCopy(canonical(m));
    check(again.kind == SbsLine::Message);
    const SbsMessage &n = again.message;
    check(n.transmissionType == m.transmissionType && n.address == m.address &&
          n.altitudeFt == m.altitudeFt && n.latitude == m.latitude && n.longitude == m.longitude);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0] % maxPieceBytes + 1;
    const char *stream = reinterpret_cast<const char *>(data + 1);
    const std::size_t length = size - 1;

    std::size_t newlines = 0;
    for (std::size_t start = 0; start < length;) {
        const char *end =
            static_cast<const char *>(std::memchr(stream + start, '\n', length - start));
        const std::size_t stop = end ? std::size_t(end - stream) : length;
        checkLine(std::string(stream + start, stop - start));
        newlines += end ? 1 : 0;
        start = stop + 1;
    }

    SbsFeed feed({{52.0, 4.0}, wideRangeKm, SbsFeed::Value::Altitude, {}}, [](const QString &) {});
    for (std::size_t at = 0; at < length; at += piece)
        feed.receive(stream + at, qint64(std::min(piece, length - at)), qint64(at));
    check(feed.counts().lines == qint64(newlines));
    check(feed.counts().malformed <= feed.counts().lines);
    check(feed.aircraftCount() <= SbsFeed::maxAircraft);
    for (const SimTarget &t : feed.targets(qint64(length))) {
        check(std::isfinite(t.x) && std::isfinite(t.y));
        check(t.x >= 0.0f && t.x <= 1.0f && t.y >= 0.0f && t.y <= 1.0f);
    }
    return 0;
}
