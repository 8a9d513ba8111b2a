// SPDX-License-Identifier: MIT
// Number scanning for the OBJ and MTL reader: the input rules of the C
// library's "%d" and "%f" conversions, but always with "." as the decimal
// point, whatever the process locale.
//
// The scanners work on bytes in memory. They stop at the first byte that
// cannot continue a number, so the text must end with such a byte (the
// reader keeps a NUL after every file it loads). Like the stream conversions
// they leave the cursor after the longest prefix of a number they consumed,
// also when the conversion then fails (a lone "-" or "." is consumed).
//
// A backslash right before a line end joins the next line as a blank (a
// line continuation). The scanners stop at one like at any byte that begins
// no number; their callers skip it (skipBreaks) and read on, which keeps the
// test off the common path.
#pragma once

#include "glm/platform.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace glmscan {

inline bool isSpace(unsigned char c)
{
    // One test for the six bytes: blank, and tab to carriage return.
    constexpr std::uint64_t spaces = (1ULL << ' ') | (1ULL << '\t') | (1ULL << '\n') |
                                     (1ULL << '\v') | (1ULL << '\f') | (1ULL << '\r');
    return c <= ' ' && ((spaces >> c) & 1) != 0;
}

inline bool isDigit(unsigned char c)
{
    return static_cast<unsigned>(c - '0') < 10u;
}

// Length of the line continuation at p: 2 for a backslash and newline, 3
// for a backslash, carriage return and newline, else 0. The text at p goes
// on at least to a NUL, so no byte past it is read.
inline int continuationAt(const char *p)
{
    if (p[0] != '\\')
        return 0;
    if (p[1] == '\n')
        return 2;
    return p[1] == '\r' && p[2] == '\n' ? 3 : 0;
}

inline const char *skipSpace(const char *p)
{
    while (isSpace(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// Whitespace and line continuations.
inline const char *skipBreaks(const char *p)
{
    for (;;) {
        p = skipSpace(p);
        const int continuation = continuationAt(p);
        if (continuation == 0)
            return p;
        p += continuation;
    }
}

// Whether a token ends before p: at whitespace or a line continuation.
inline bool isBreak(const char *p)
{
    return isSpace(static_cast<unsigned char>(*p)) || continuationAt(p) != 0;
}

// Magnitudes stop growing here; every index this large is out of range anyway.
constexpr long long intSaturation = 100000000000000000LL;
constexpr std::ptrdiff_t maxExactIntDigits = 17; // below intSaturation

// "%d": skips whitespace, reads an optional sign and decimal digits. False
// when no digit follows (a sign is still consumed); value is then unchanged.
// With skipSpace false, leading whitespace is not skipped but ends the
// number like any other byte: for reading inside a token in place.
template <bool skipLeadingSpace = true>
[[gnu::always_inline]] inline bool scanInt(const char *&p, long long &value)
{
    if (skipLeadingSpace)
        p = skipSpace(p);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const char *digits = p;
    if (!isDigit(static_cast<unsigned char>(*p)))
        return false;
    unsigned long long magnitude = 0;
    do {
        magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0'); // may wrap; see below
        ++p;
    } while (isDigit(static_cast<unsigned char>(*p)));
    if (p - digits > maxExactIntDigits) {
        while (*digits == '0' && p - digits > maxExactIntDigits)
            ++digits;
        if (p - digits > maxExactIntDigits)
            magnitude = intSaturation;
    }
    const long long signedMagnitude = static_cast<long long>(magnitude);
    value = negative ? -signedMagnitude : signedMagnitude;
    return true;
}

// Correctly rounded conversion of an unsigned number text of any length.
// The rare paths stay out of line, so that the common one inlines.
[[gnu::noinline]] inline float convertSlow(const char *begin, const char *end)
{
    float value = 0.0f;
    const std::from_chars_result result =
        std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr == end)
        return value;
    // Overflow and underflow (and hex text) go to the C library, which
    // gives infinity, zero or the rounded value as "%f" does.
    const std::string text(begin, end);
    return glmplatform::parseFloat(text.c_str());
}

// The fast path covers mantissas w below 2^53 and exponents within +-22.
// w and 10^e are exact doubles, so w * 10^e is the correctly rounded
// double; w * 10^-e, with 10^-e rounded to a double, is within two units
// in the last place of the exact quotient (a multiplication instead of a
// much slower division). Either way, rounding the double on to a float
// gives the correctly rounded float unless the double lies within that
// error of a point halfway between two floats, where the slow path decides.
constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr double inversePowersOfTen[] = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                         1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                         1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};
constexpr int fastExponentLimit = 22;
constexpr std::uint64_t fastMantissaLimit = std::uint64_t{1} << 53;
constexpr int maxMantissaDigits = 19;
constexpr long long exponentSaturation = 100000;

// Units in the last place of a double around a float midpoint that count
// as near it: twice the error bound above, for a margin.
constexpr std::uint64_t midpointMargin = 4;

inline bool nearFloatMidpoint(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    // A double has 29 more mantissa bits than a float: a float midpoint has
    // them 1000...0.
    constexpr std::uint64_t midpoint = 0x10000000u;
    const std::uint64_t below = bits & 0x1FFFFFFFu;
    return below - (midpoint - midpointMargin) <= 2 * midpointMargin;
}

// Matches the letters of word case-insensitively. A mismatching byte is
// consumed, as the C library does inside "inf" and "nan".
inline bool matchWord(const char *&p, const char *end, const char *word)
{
    for (; *word; ++word) {
        if ((*p | 0x20) != *word) {
            if (p < end)
                ++p;
            return false;
        }
        ++p;
    }
    return true;
}

[[gnu::noinline]] inline bool scanSpecial(const char *&p, const char *end, float &magnitude)
{
    if ((*p | 0x20) == 'i') {
        if (!matchWord(p, end, "inf"))
            return false;
        if ((*p | 0x20) == 'i' && !matchWord(p, end, "inity"))
            return false;
        magnitude = std::numeric_limits<float>::infinity();
        return true;
    }
    if (!matchWord(p, end, "nan"))
        return false;
    magnitude = std::numeric_limits<float>::quiet_NaN();
    return true;
}

inline bool isHexDigit(unsigned char c)
{
    return isDigit(c) || static_cast<unsigned>((c | 0x20) - 'a') < 6u;
}

// After "0x": hex digits, an optional point and fraction, an optional "p"
// exponent; start points at the "0".
[[gnu::noinline]] inline bool scanHex(const char *&p, const char *start, float &magnitude)
{
    bool digits = false;
    bool point = false;
    while (isHexDigit(static_cast<unsigned char>(*p))) {
        digits = true;
        ++p;
    }
    if (*p == '.') {
        point = true;
        ++p;
        while (isHexDigit(static_cast<unsigned char>(*p))) {
            digits = true;
            ++p;
        }
    }
    if (!digits) {
        if (!point)
            return false;
        magnitude = 0.0f; // the C library reads "0x." as zero
        return true;
    }
    const char *numberEnd = p;
    if ((*p | 0x20) == 'p') {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (isDigit(static_cast<unsigned char>(*p))) {
            while (isDigit(static_cast<unsigned char>(*p)))
                ++p;
            numberEnd = p;
        }
    }
    const std::string text(start, numberEnd);
    magnitude = glmplatform::parseFloat(text.c_str());
    return true;
}

// "%f": skips whitespace, reads an optional sign and a decimal number with
// optional fraction and exponent (or "inf", "infinity", "nan", or a hex
// number), correctly rounded to a float. An exponent marker without digits
// is consumed and ignored. False when no number follows; value is then
// unchanged. end is the end of the text (never read past).
[[gnu::always_inline]] inline bool scanFloat(const char *&p, const char *end, float &value)
{
    p = skipSpace(p);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const char *start = p;
    float magnitude = 0.0f;
    const int lower = *p | 0x20;
    if (lower == 'i' || lower == 'n') {
        if (!scanSpecial(p, end, magnitude))
            return false;
    } else if (*p == '0' && (p[1] | 0x20) == 'x') {
        p += 2;
        if (!scanHex(p, start, magnitude))
            return false;
    } else {
        // Digits accumulate into one integer; with more than 19 of them
        // (leading zeros included) it may wrap, and the slow path takes over.
        std::uint64_t mantissa = 0;
        const char *digits = p;
        while (isDigit(static_cast<unsigned char>(*p))) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++p;
        }
        std::ptrdiff_t digitCount = p - digits;
        std::ptrdiff_t fractionDigits = 0;
        if (*p == '.') {
            ++p;
            const char *fraction = p;
            while (isDigit(static_cast<unsigned char>(*p))) {
                mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
                ++p;
            }
            fractionDigits = p - fraction;
            digitCount += fractionDigits;
        }
        if (digitCount == 0)
            return false;
        const char *numberEnd = p;
        long long exponent = 0;
        if ((*p | 0x20) == 'e') {
            ++p;
            bool negativeExponent = false;
            if (*p == '+' || *p == '-') {
                negativeExponent = *p == '-';
                ++p;
            }
            if (isDigit(static_cast<unsigned char>(*p))) {
                do {
                    if (exponent < exponentSaturation)
                        exponent = exponent * 10 + (*p - '0');
                    ++p;
                } while (isDigit(static_cast<unsigned char>(*p)));
                if (negativeExponent)
                    exponent = -exponent;
                numberEnd = p;
            }
        }
        exponent -= fractionDigits;
        bool done = false;
        if (digitCount <= maxMantissaDigits) {
            if (mantissa == 0) {
                magnitude = 0.0f;
                done = true;
            } else if (mantissa < fastMantissaLimit && exponent >= -fastExponentLimit &&
                       exponent <= fastExponentLimit) {
                const double d = exponent < 0
                                     ? static_cast<double>(mantissa) * inversePowersOfTen[-exponent]
                                     : static_cast<double>(mantissa) * exactPowersOfTen[exponent];
                if (!nearFloatMidpoint(d)) {
                    magnitude = static_cast<float>(d);
                    done = true;
                }
            }
        }
        if (!done)
            magnitude = convertSlow(start, numberEnd);
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace glmscan
