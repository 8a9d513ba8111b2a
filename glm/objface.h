// The face statement of the OBJ format as the reader reads it: the corner
// patterns "%d", "%d/%d", "%d/%d/%d" and "%d//%d", the form chosen by the
// first corner token, and the corners that follow until one converts
// nothing. Used alike by both passes of the reader, so they agree.
#pragma once

#include "glm/textscan.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
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

// Where a face statement stands, for its messages: faces may run on over
// line ends, so the line of their "f" keyword is the one to name.
struct FaceSite
{
    const char *path;
    const TextScanner &scanner;
    const char *start;

    unsigned line() const { return scanner.lineNumber(start); }
};

[[noreturn]] inline void failFace(const char *problem, const FaceSite &site)
{
    std::fprintf(stderr, "glmReadOBJ(): %s in \"%s\" line %u.\n", problem, site.path, site.line());
    std::exit(1);
}

inline bool containsDoubleSlash(const TextView &token)
{
    for (std::size_t i = 0; i + 1 < token.length && token.text[i] != '\0'; ++i)
        if (token.text[i] == '/' && token.text[i + 1] == '/')
            return true;
    return false;
}

template <FaceForm form, class OnCorner>
void readCorners(TextScanner &scanner, const FaceSite &site, const Corner &first,
                 OnCorner &onCorner)
{
    onCorner(first, 0, FormTag<form>(), site);
    for (int number = 1;; ++number) {
        Corner corner;
        const int converted = scanCorner<form>(scanner.cursor(), corner);
        if (converted == 0) {
            if (number < 3)
                failFace("face with fewer than three corners", site);
            return;
        }
        if (converted < fieldsOf<form>())
            failFace("incomplete face corner", site);
        onCorner(corner, number, FormTag<form>(), site);
    }
}

// Reads the corners of a face after its "f" token: the first corner token
// decides the form, the others are read with the form's pattern until one
// converts nothing. Calls onCorner(corner, number, FormTag, site) for each
// corner. A face needs three whole corners; a corner missing a number its
// form carries would leave an index unset, so both end the program.
template <class OnCorner> void readFace(TextScanner &scanner, const char *path, OnCorner &&onCorner)
{
    const FaceSite site{path, scanner, scanner.cursor() - 1};

    // Common case first: a whole token of three numbers "v/t/n" is that
    // form's corner whatever the rules below would try (it has no "//").
    const char *start = glmscan::skipSpace(scanner.cursor());
    {
        Corner corner;
        const char *p = start;
        if (scanCorner<FaceForm::vertexTextureNormal, false>(p, corner) == 3 &&
            (p == scanner.end() || glmscan::isSpace(static_cast<unsigned char>(*p))) &&
            static_cast<std::size_t>(p - start) <= glmscan::maxTokenLength) {
            scanner.cursor() = p;
            readCorners<FaceForm::vertexTextureNormal>(scanner, site, corner, onCorner);
            return;
        }
    }

    TextView token;
    if (!scanner.token(token))
        failFace("face with fewer than three corners", site);
    // The token is read where it lies unless it was cut at 127 bytes; then
    // its copy ends it, as a token buffer would.
    char copy[glmscan::maxTokenLength + 1];
    const char *text = token.text;
    const char *after = token.text + token.length;
    if (after != scanner.end() && !glmscan::isSpace(static_cast<unsigned char>(*after))) {
        token.copyTo(copy);
        text = copy;
    }

    // The tests in order: "//" anywhere, then three, two, one numbers.
    Corner corner;
    const char *p = text;
    if (containsDoubleSlash(token)) {
        const int converted = scanCorner<FaceForm::vertexNormal, false>(p, corner);
        if (converted == 0)
            failFace("face with fewer than three corners", site);
        if (converted < 2)
            failFace("incomplete face corner", site);
        readCorners<FaceForm::vertexNormal>(scanner, site, corner, onCorner);
        return;
    }
    if (scanCorner<FaceForm::vertexTextureNormal, false>(p, corner) == 3) {
        readCorners<FaceForm::vertexTextureNormal>(scanner, site, corner, onCorner);
        return;
    }
    corner = Corner();
    p = text;
    if (scanCorner<FaceForm::vertexTexture, false>(p, corner) == 2) {
        readCorners<FaceForm::vertexTexture>(scanner, site, corner, onCorner);
        return;
    }
    corner = Corner();
    p = text;
    if (scanCorner<FaceForm::vertex, false>(p, corner) == 0)
        failFace("face with fewer than three corners", site);
    readCorners<FaceForm::vertex>(scanner, site, corner, onCorner);
}

} // namespace glmface
