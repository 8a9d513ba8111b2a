// SPDX-License-Identifier: MIT
#include "sim/sbsline.h"

#include "sim/siteprojection.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// 1-based field numbers of the format, as a 0-based index.
constexpr int typeField = 0;
constexpr int transmissionField = 1;
constexpr int addressField = 4;
constexpr int altitudeField = 11;
constexpr int latitudeField = 14;
constexpr int longitudeField = 15;

constexpr int addressDigits = 6;
constexpr int lowestTransmission = 1, highestTransmission = 8;

SbsLine malformed(const char *why)
{
    SbsLine line;
    line.kind = SbsLine::Malformed;
    line.why = why;
    return line;
}

template <typename Number> bool parseWhole(std::string_view text, Number *out)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseDegrees(std::string_view text, double limit, double *out)
{
    if (text.empty() || text.front() == '+')
        return false;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), *out, std::chars_format::fixed);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(*out) &&
           std::fabs(*out) <= limit;
}

bool parseAddress(std::string_view text, quint32 *out)
{
    quint32 flag = 0;
    if (!text.empty() && text.front() == '~') {
        flag = SbsMessage::nonIcaoFlag;
        text.remove_prefix(1);
    }
    if (text.size() != addressDigits)
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *out, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    *out |= flag;
    return true;
}

bool isOtherRecord(std::string_view type)
{
    for (const char *known : {"SEL", "ID", "AIR", "STA", "CLK"})
        if (type == known)
            return true;
    return false;
}

} // namespace

SbsLine parseSbsLine(const char *data, int size)
{
    std::string_view text(data, size_t(std::max(size, 0)));
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    if (text.empty()) {
        SbsLine line;
        line.kind = SbsLine::Empty;
        return line;
    }

    std::array<std::string_view, sbsFieldCount> fields;
    int count = 0;
    for (size_t start = 0;;) {
        const size_t comma = text.find(',', start);
        const std::string_view field = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (count < sbsFieldCount)
            fields[size_t(count)] = field;
        ++count;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }

    const std::string_view type = fields[typeField];
    if (type != "MSG") {
        if (isOtherRecord(type)) {
            SbsLine line;
            line.kind = SbsLine::OtherRecord;
            return line;
        }
        return malformed("unknown record type");
    }
    if (count != sbsFieldCount)
        return malformed("a MSG line needs 22 fields");

    SbsLine line;
    line.kind = SbsLine::Message;
    SbsMessage &m = line.message;
    if (!parseWhole(fields[transmissionField], &m.transmissionType) ||
        m.transmissionType < lowestTransmission || m.transmissionType > highestTransmission)
        return malformed("transmission type is not 1 to 8");
    if (!parseAddress(fields[addressField], &m.address))
        return malformed("aircraft address is not six hex digits");
    if (!fields[altitudeField].empty()) {
        qint32 feet = 0;
        if (!parseWhole(fields[altitudeField], &feet))
            return malformed("altitude is not a whole number of feet");
        m.altitudeFt = feet;
    }
    const std::string_view lat = fields[latitudeField], lon = fields[longitudeField];
    if (lat.empty() != lon.empty())
        return malformed("latitude and longitude come together");
    if (!lat.empty()) {
        double latitude = 0.0, longitude = 0.0;
        if (!parseDegrees(lat, GeoPoint::maxLatitude, &latitude) ||
            !parseDegrees(lon, GeoPoint::maxLongitude, &longitude))
            return malformed("latitude or longitude is no number of degrees in range");
        m.latitude = latitude;
        m.longitude = longitude;
    }
    return line;
}
