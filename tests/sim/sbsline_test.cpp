// SPDX-License-Identifier: MIT
// BaseStation lines from their bytes: what a MSG line carries, which lines
// are malformed, and that the parser reads only the bytes it is given.
#include "sim/sbsline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

SbsLine parse(const char *text)
{
    // An exact-size copy, so that AddressSanitizer sees any read beyond it.
    const size_t size = std::strlen(text);
    auto bytes = std::make_unique<char[]>(size);
    std::memcpy(bytes.get(), text, size);
    return parseSbsLine(bytes.get(), int(size));
}

TEST(SbsLine, messageLinesCarryAddressAltitudeAndPosition)
{
    const SbsLine airborne =
        parse("MSG,3,1,1,4CA2D6,1,2024/05/01,12:00:00.000,2024/05/01,12:00:00.000,,37000,,,"
              "52.30861,-4.76389,,,0,0,0,0\r");
    ASSERT_EQ(airborne.kind, SbsLine::Message) << airborne.why;
    EXPECT_EQ(airborne.message.transmissionType, 3);
    EXPECT_EQ(airborne.message.address, 0x4ca2d6u);
    EXPECT_EQ(airborne.message.altitudeFt, 37000);
    EXPECT_DOUBLE_EQ(*airborne.message.latitude, 52.30861);
    EXPECT_DOUBLE_EQ(*airborne.message.longitude, -4.76389);

    const SbsLine ident = parse("MSG,1,1,1,~a1b2c3,1,,,,,KLM123  ,,,,,,,,,,,");
    ASSERT_EQ(ident.kind, SbsLine::Message) << ident.why;
    EXPECT_EQ(ident.message.address, 0xa1b2c3u | SbsMessage::nonIcaoFlag);
    EXPECT_FALSE(ident.message.altitudeFt);
    EXPECT_FALSE(ident.message.latitude);

    EXPECT_EQ(parse("MSG,5,1,1,4CA2D6,1,,,,,,-150,,,,,,,,,,").message.altitudeFt, -150);
    EXPECT_EQ(
        parse("STA,,5,179,400AE7,10103,2008/11/28,14:58:51.153,2008/11/28,14:58:51.153,RM").kind,
        SbsLine::OtherRecord);
    EXPECT_EQ(parse("").kind, SbsLine::Empty);
    EXPECT_EQ(parse("\r").kind, SbsLine::Empty);
}

TEST(SbsLine, malformedLinesAreRecognised)
{
    for (const char *bad : {
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0",         // 21 fields
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0,",      // 23 fields
             "MSG,9,1,1,4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",       // type 9
             "MSG,,1,1,4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",        // no type
             "MSG,3,1,1,4CA2D,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",        // five digits
             "MSG,3,1,1,4CA2G6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",       // not hex
             "MSG,3,1,1,-4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",      // sign
             "MSG,3,1,1,4CA2D6,1,,,,,,37000.5,,,52.3,4.7,,,0,0,0,0",     // half a foot
             "MSG,3,1,1,4CA2D6,1,,,,,,99999999999,,,52.3,4.7,,,0,0,0,0", // beyond int32
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,,,,0,0,0,0",          // latitude alone
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,90.5,4.7,,,0,0,0,0",       // beyond the pole
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,180.1,,,0,0,0,0",     // beyond 180
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,nan,4.7,,,0,0,0,0",        // not a number
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,1e1,,,0,0,0,0",       // exponent
             "MSG,3,1,1,4CA2D6,1,,,,,,37000,,,52,3,4.7,,,0,0,0,0",       // decimal comma
             "XYZ,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",       // unknown record
             "msg,3,1,1,4CA2D6,1,,,,,,37000,,,52.3,4.7,,,0,0,0,0",       // lower case
             ",,,,,,,,,,,,,,,,,,,,,",
         }) {
        const SbsLine line = parse(bad);
        EXPECT_EQ(line.kind, SbsLine::Malformed) << bad;
        EXPECT_STRNE(line.why, "") << bad;
    }
}

} // namespace
