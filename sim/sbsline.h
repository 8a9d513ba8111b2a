// SPDX-License-Identifier: MIT
// One line of a BaseStation (SBS-1) feed, parsed from its bytes.
//
// A line is 22 comma-separated fields (without its line end; a trailing CR
// is allowed). Field 1 is the record type: MSG lines are read, the other
// record types of the format (SEL, ID, AIR, STA, CLK) are recognised and
// carry nothing the table draws. Of a MSG line these fields are read, the
// others are not looked at:
//    2  transmission type, 1 to 8
//    5  aircraft address: six hex digits (an ICAO 24-bit address), or a
//       tilde and six (a non-ICAO address, kept apart from the ICAO ones)
//   12  altitude, whole feet (may be empty or negative)
//   15  latitude, 16 longitude: decimal degrees, both or neither
// A MSG line with another field count, a bad type or address, or a value
// that does not parse or lies out of range is malformed, as is a line of an
// unknown record type. Numbers are read in the C locale.
#pragma once

#include <QtGlobal>

#include <optional>

struct SbsMessage
{
    static constexpr quint32 nonIcaoFlag = 1u << 24; // on top of the 24 address bits

    int transmissionType = 0;
    quint32 address = 0; // the 24 bits, with nonIcaoFlag for a tilde address
    std::optional<qint32> altitudeFt;
    std::optional<double> latitude;  // -90 to 90, with longitude
    std::optional<double> longitude; // -180 to 180, with latitude
};

struct SbsLine
{
    enum Kind { Message, OtherRecord, Empty, Malformed };

    Kind kind = Malformed;
    SbsMessage message;   // for Message
    const char *why = ""; // for Malformed: what is wrong, a static string
};

constexpr int sbsFieldCount = 22;

// Parses `size` bytes at `data`; reads nothing outside them.
SbsLine parseSbsLine(const char *data, int size);
