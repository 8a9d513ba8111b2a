// SPDX-License-Identifier: MIT
// The face statement of the OBJ format as the reader reads it: the corner
// patterns "%d", "%d/%d", "%d/%d/%d" and "%d//%d", the form chosen by the
// first corner token, and the corners that follow until one converts
// nothing. Used alike by both passes of the reader, so they agree.
#pragma once

#include "glm/textscan.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace glmface {

using glmscan::TextScanner;
using glmscan::TextView;

enum class FaceForm { vertex, vertexTexture, vertexTextureNormal, vertexNormal };

template <FaceForm form> using FormTag = std::integral_constant<FaceForm, form>;

template <FaceForm form> constexpr int fieldsOf()
{
    return form == FaceForm::vertex ? 1 : form == FaceForm::vertexTextureNormal ? 3 : 2;
}

template <FaceForm form> constexpr bool carriesUv()
{
    return form == FaceForm::vertexTexture || form == FaceForm::vertexTextureNormal;
}

template <FaceForm form> constexpr bool carriesNormal()
{
    return form == FaceForm::vertexNormal || form == FaceForm::vertexTextureNormal;
}

// One corner as written; fields the form does not carry stay 0.
struct Corner
{
    long long vertex = 0;
    long long uv = 0;
    long long normal = 0;
};

inline bool expect(const char *&p, char c)
{
    if (*p != c)
        return false;
    ++p;
    return true;
}

// The corner patterns "%d", "%d/%d", "%d/%d/%d" and "%d//%d"; returns how
// many numbers converted, consuming what a stream reader would. Inside a
// token (skipSpace false) the whitespace after it ends the pattern.
template <FaceForm form, bool skipSpace = true>
inline int scanCorner(const char *&p, Corner &corner)
{
    using glmscan::scanInt;
    if (!scanInt<skipSpace>(p, corner.vertex))
        return 0;
    if constexpr (form == FaceForm::vertex) {
        return 1;
    } else if constexpr (form == FaceForm::vertexNormal) {
        if (!expect(p, '/') || !expect(p, '/') || !scanInt<skipSpace>(p, corner.normal))
            return 1;
        return 2;
    } else {
        if (!expect(p, '/') || !scanInt<skipSpace>(p, corner.uv))
            return 1;
        if constexpr (form == FaceForm::vertexTexture) {
            return 2;
        } else {
            if (!expect(p, '/') || !scanInt<skipSpace>(p, corner.normal))
                return 2;
            return 3;
        }
    }
}

// What a face's messages say is wrong with it.
constexpr const char *fewerThanThreeCorners = "face with fewer than three corners";
constexpr const char *incompleteCorner = "incomplete face corner";
constexpr const char *cornersOfDifferentForms = "face corners of different forms";

// Where a face statement stands, for its messages: faces may run on over
// line ends, so the line of their "f" keyword is the one to name.
struct FaceSite
{
    const TextScanner &scanner;
    const char *start;

    [[noreturn]] void fail(const char *problem) const { scanner.fail(problem, start); }
};

inline bool containsDoubleSlash(const TextView &token)
{
    for (std::size_t i = 0; i + 1 < token.length && token.text[i] != '\0'; ++i)
        if (token.text[i] == '/' && token.text[i + 1] == '/')
            return true;
    return false;
}

inline bool startsNumber(const char *p)
{
    if (*p == '+' || *p == '-')
        ++p;
    return glmscan::isDigit(static_cast<unsigned char>(*p));
}

// A slash that no number follows (nor a second slash): the token is a
// corner that lacks a number its form would carry, as in "2/2/" or "2/".
inline bool hasDanglingSlash(const TextView &token)
{
    for (std::size_t i = 0; i < token.length && token.text[i] != '\0'; ++i) {
        if (token.text[i] != '/')
            continue;
        const char next = i + 1 < token.length ? token.text[i + 1] : '\0';
        const bool sign = next == '+' || next == '-';
        const char afterSign = i + 2 < token.length ? token.text[i + 2] : '\0';
        if (next != '/' && !glmscan::isDigit(static_cast<unsigned char>(sign ? afterSign : next)))
            return true;
    }
    return false;
}

// Why a face ends before its third corner, the read of the next corner
// having converted nothing at next.
inline const char *shortFaceProblem(const TextView &firstToken, const char *next)
{
    if (hasDanglingSlash(firstToken))
        return incompleteCorner;
    // The corner before goes on with a slash its form does not have: more
    // numbers than the form (another form), or a slash with none.
    const char *p = glmscan::skipBreaks(next);
    if (*p != '/')
        return fewerThanThreeCorners;
    while (*p == '/')
        ++p;
    return startsNumber(p) ? cornersOfDifferentForms : incompleteCorner;
}

template <FaceForm form, class OnCorner>
void readCorners(TextScanner &scanner, const FaceSite &site, const TextView &firstToken,
                 const Corner &first, OnCorner &onCorner)
{
    onCorner(first, 0, FormTag<form>(), site);
    for (int number = 1;; ++number) {
        Corner corner;
        const char *next = scanner.cursor();
        const int converted = scanCorner<form>(scanner.cursor(), corner);
        if (converted == 0) {
            if (scanner.skipContinuation()) {
                --number; // read it after the continuation
                continue;
            }
            if (number < 3)
                site.fail(shortFaceProblem(firstToken, next));
            return;
        }
        if (converted < fieldsOf<form>())
            site.fail(incompleteCorner);
        onCorner(corner, number, FormTag<form>(), site);
    }
}

inline const char *skipDigits(const char *p)
{
    while (glmscan::isDigit(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// The corner count readFace gives, for the counting pass, without
// converting a number: only for a face of at least three corners, all
// written "v/t/n" with unsigned digits and each ending at whitespace, the
// face ending where no digit or sign follows. Any other face is 0 and
// leaves the scanner as it was, so it is read by readFace.
inline unsigned countPlainCorners(TextScanner &scanner)
{
    const char *p = scanner.cursor();
    unsigned corners = 0;
    for (;;) {
        p = glmscan::skipBreaks(p);
        const char *start = p;
        if (!glmscan::isDigit(static_cast<unsigned char>(*p)))
            break;
        p = skipDigits(p);
        for (int slash = 0; slash < 2; ++slash) {
            if (*p != '/' || !glmscan::isDigit(static_cast<unsigned char>(p[1])))
                return 0;
            p = skipDigits(p + 1);
        }
        // The first corner is read as a token, which must not be cut.
        if (!glmscan::isSpace(static_cast<unsigned char>(*p)) ||
            static_cast<std::size_t>(p - start) > glmscan::maxTokenLength)
            return 0;
        ++corners;
    }
    if (corners < 3 || *p == '+' || *p == '-')
        return 0;
    scanner.cursor() = p;
    return corners;
}

// Reads the corners of a face after its "f" token: the first corner token
// decides the form, the others are read with the form's pattern until one
// converts nothing. Calls onCorner(corner, number, FormTag, site) for each
// corner, across line ends and continuations between corners (one inside a
// corner ends it). A face needs three whole corners; a corner missing a
// number its form carries would leave an index unset, so both end the
// program, with a message saying which.
template <class OnCorner> void readFace(TextScanner &scanner, OnCorner &&onCorner)
{
    const FaceSite site{scanner, scanner.cursor() - 1};

    // Common case first: a whole token of three numbers "v/t/n" is that
    // form's corner whatever the rules below would try (it has no "//").
    const char *start = glmscan::skipBreaks(scanner.cursor());
    {
        Corner corner;
        const char *p = start;
        if (scanCorner<FaceForm::vertexTextureNormal, false>(p, corner) == 3 &&
            (p == scanner.end() || glmscan::isBreak(p)) &&
            static_cast<std::size_t>(p - start) <= glmscan::maxTokenLength) {
            scanner.cursor() = p;
            const TextView token{start, static_cast<std::size_t>(p - start)};
            readCorners<FaceForm::vertexTextureNormal>(scanner, site, token, corner, onCorner);
            return;
        }
    }

    TextView token;
    if (!scanner.token(token))
        site.fail(fewerThanThreeCorners);
    // The token is read where it lies unless it was cut at 127 bytes; then
    // its copy ends it, as a token buffer would.
    char copy[glmscan::maxTokenLength + 1];
    const char *text = token.text;
    const char *after = token.text + token.length;
    if (after != scanner.end() && !glmscan::isBreak(after)) {
        token.copyTo(copy);
        text = copy;
    }

    // The tests in order: "//" anywhere, then three, two, one numbers. A
    // token with a slash but no leading number is a corner without its
    // vertex.
    Corner corner;
    const char *p = text;
    if (containsDoubleSlash(token)) {
        if (scanCorner<FaceForm::vertexNormal, false>(p, corner) < 2)
            site.fail(incompleteCorner);
        readCorners<FaceForm::vertexNormal>(scanner, site, token, corner, onCorner);
        return;
    }
    if (scanCorner<FaceForm::vertexTextureNormal, false>(p, corner) == 3) {
        readCorners<FaceForm::vertexTextureNormal>(scanner, site, token, corner, onCorner);
        return;
    }
    corner = Corner();
    p = text;
    if (scanCorner<FaceForm::vertexTexture, false>(p, corner) == 2) {
        readCorners<FaceForm::vertexTexture>(scanner, site, token, corner, onCorner);
        return;
    }
    corner = Corner();
    p = text;
    if (scanCorner<FaceForm::vertex, false>(p, corner) == 0)
        site.fail(std::memchr(token.text, '/', token.length) ? incompleteCorner
                                                             : fewerThanThreeCorners);
    readCorners<FaceForm::vertex>(scanner, site, token, corner, onCorner);
}

} // namespace glmface
