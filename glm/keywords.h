// SPDX-License-Identifier: MIT
// The statements of the OBJ and MTL formats as the reader tells them apart.
//
// A statement the library models is recognised by its whole keyword, and
// one the formats define but the library does not model is skipped as a
// comment is. Any other keyword is read by its first letters, as the reader
// always has: one beginning like a modelled statement is read as that
// statement, and an unknown one beginning with "v" is an error of the
// counting pass. Both passes of a file tell statements apart alike.
#pragma once

#include "glm/textscan.h"

#include <cstddef>
#include <iterator>

namespace glmkeyword {

using glmscan::TextView;

// The modelled statements first, in the order of their keywords.
enum class ObjStatement {
    vertex,
    normal,
    uv,
    face,
    group,
    library,
    material,
    unknownVertex, // another keyword beginning with "v"
    skipped,
};
inline constexpr const char *objKeywords[] = {"v", "vn", "vt", "f", "g", "mtllib", "usemtl"};
static_assert(std::size(objKeywords) == std::size_t(ObjStatement::unknownVertex));

enum class MtlStatement {
    material,
    shininess,
    ambient,
    diffuse,
    specular,
    skipped,
};
inline constexpr const char *mtlKeywords[] = {"newmtl", "Ns", "Ka", "Kd", "Ks"};
static_assert(std::size(mtlKeywords) == std::size_t(MtlStatement::skipped));

// The statements of the formats that the library does not model and whose
// first letters are those of a modelled one. Every other statement of the
// formats ("o", "s", "l", the free-form statements, "illum", "map_Kd", ...)
// begins with letters no modelled statement has, and is skipped by them.
inline constexpr const char *objUnmodelled[] = {"vp", "mg", "maplib", "usemap"};
inline constexpr const char *mtlUnmodelled[] = {"Ni", "norm"};

// Whether the token's text (up to an inner NUL, as a C string's) is keyword.
inline bool is(const TextView &token, const char *keyword)
{
    std::size_t i = 0;
    for (; keyword[i] != '\0'; ++i)
        if (token.at(i) != keyword[i])
            return false;
    return token.at(i) == '\0';
}

template <std::size_t n> bool isAnyOf(const TextView &token, const char *const (&keywords)[n])
{
    for (const char *keyword : keywords)
        if (is(token, keyword))
            return true;
    return false;
}

// The statement a token begins: what its letters make it, unless it is
// none of the modelled keywords whole but one of the unmodelled ones.
template <class Statement, std::size_t modelled, std::size_t unmodelled>
Statement recognised(const TextView &token, Statement byLetters,
                     const char *const (&keywords)[modelled],
                     const char *const (&unmodelledKeywords)[unmodelled])
{
    if (byLetters == Statement::skipped)
        return byLetters;
    const auto index = static_cast<std::size_t>(byLetters);
    if (index < modelled && is(token, keywords[index]))
        return byLetters;
    return isAnyOf(token, unmodelledKeywords) ? Statement::skipped : byLetters;
}

// ---- OBJ -------------------------------------------------------------------

// The first-letter rule: "v" alone, "vn...", "vt...", any other "v...";
// "f...", "g...", "m..." ("mtllib"), "u..." ("usemtl"); anything else skipped.
inline ObjStatement objByLetters(const TextView &token)
{
    switch (token.at(0)) {
    case 'v':
        switch (token.at(1)) {
        case '\0':
            return ObjStatement::vertex;
        case 'n':
            return ObjStatement::normal;
        case 't':
            return ObjStatement::uv;
        default:
            return ObjStatement::unknownVertex;
        }
    case 'f':
        return ObjStatement::face;
    case 'g':
        return ObjStatement::group;
    case 'm':
        return ObjStatement::library;
    case 'u':
        return ObjStatement::material;
    default:
        return ObjStatement::skipped;
    }
}

inline ObjStatement objStatement(const TextView &token)
{
    // The statements that fill a file first: tokens of one or two bytes.
    const char *text = token.text;
    if (token.length == 1) {
        if (text[0] == 'v')
            return ObjStatement::vertex;
        if (text[0] == 'f')
            return ObjStatement::face;
    } else if (token.length == 2 && text[0] == 'v') {
        if (text[1] == 'n')
            return ObjStatement::normal;
        if (text[1] == 't')
            return ObjStatement::uv;
    }
    return recognised(token, objByLetters(token), objKeywords, objUnmodelled);
}

// ---- MTL -------------------------------------------------------------------

// The first-letter rule: "n..." ("newmtl"), "N..." ("Ns"), "Ka...", "Kd...",
// "Ks..."; anything else skipped.
inline MtlStatement mtlByLetters(const TextView &token)
{
    switch (token.at(0)) {
    case 'n':
        return MtlStatement::material;
    case 'N':
        return MtlStatement::shininess;
    case 'K':
        switch (token.at(1)) {
        case 'a':
            return MtlStatement::ambient;
        case 'd':
            return MtlStatement::diffuse;
        case 's':
            return MtlStatement::specular;
        default:
            return MtlStatement::skipped;
        }
    default:
        return MtlStatement::skipped;
    }
}

inline MtlStatement mtlStatement(const TextView &token)
{
    return recognised(token, mtlByLetters(token), mtlKeywords, mtlUnmodelled);
}

} // namespace glmkeyword
