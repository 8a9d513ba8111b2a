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

namespace glmkeyword {

using glmscan::TextView;

enum class ObjStatement {
    vertex,        // "v"
    normal,        // "vn"
    uv,            // "vt"
    face,          // "f"
    group,         // "g"
    library,       // "mtllib"
    material,      // "usemtl"
    unknownVertex, // another keyword beginning with "v"
    skipped,
};

enum class MtlStatement {
    material,  // "newmtl"
    shininess, // "Ns"
    ambient,   // "Ka"
    diffuse,   // "Kd"
    specular,  // "Ks"
    skipped,
};

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

inline const char *objKeyword(ObjStatement statement)
{
    switch (statement) {
    case ObjStatement::vertex:
        return "v";
    case ObjStatement::normal:
        return "vn";
    case ObjStatement::uv:
        return "vt";
    case ObjStatement::face:
        return "f";
    case ObjStatement::group:
        return "g";
    case ObjStatement::library:
        return "mtllib";
    case ObjStatement::material:
        return "usemtl";
    default:
        return "";
    }
}

inline ObjStatement objStatement(const TextView &token)
{
    const ObjStatement byLetters = objByLetters(token);
    if (byLetters == ObjStatement::skipped || is(token, objKeyword(byLetters)))
        return byLetters;
    return isAnyOf(token, objUnmodelled) ? ObjStatement::skipped : byLetters;
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

inline const char *mtlKeyword(MtlStatement statement)
{
    switch (statement) {
    case MtlStatement::material:
        return "newmtl";
    case MtlStatement::shininess:
        return "Ns";
    case MtlStatement::ambient:
        return "Ka";
    case MtlStatement::diffuse:
        return "Kd";
    case MtlStatement::specular:
        return "Ks";
    default:
        return "";
    }
}

inline MtlStatement mtlStatement(const TextView &token)
{
    const MtlStatement byLetters = mtlByLetters(token);
    if (byLetters == MtlStatement::skipped || is(token, mtlKeyword(byLetters)))
        return byLetters;
    return isAnyOf(token, mtlUnmodelled) ? MtlStatement::skipped : byLetters;
}

} // namespace glmkeyword
