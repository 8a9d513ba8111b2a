// SPDX-License-Identifier: MIT
// OBJ and MTL text made from fuzz bytes for comparing the reader with
// tinyobjloader: valid files that keep to what both readers read alike, so
// that any difference between them is a fault of one of them.
//
// What varies: decimal numbers with signs, leading zeros, many digits and
// exponents (their values within the float range, denormals included);
// vertices with an optional weight or colour, texture coordinates of one to
// three values, normals; faces of all four corner forms ("v", "v/t",
// "v/t/n", "v//n") with 3 to 255 corners, positive indices (also to
// elements declared later in the file), negative ones, with "+" and leading
// zeros; groups, revisited by their exact names; "usemtl" with the
// library's names and unknown ones; "mtllib"; statements of the formats the
// reader skips (o, s, l, p, vp, mg, maplib, usemap, the free-form ones; Ni,
// d, illum, norm, map_Kd with options, ...) and comments; blanks and tabs
// between tokens and before statements; LF and CRLF line ends; backslash
// continuations between tokens (joined before tinyobjloader reads, as it
// does not know them).
//
// The rules kept where the two readers differ by design:
// - a line the reader takes as a chunk (names, skipped statements, any
//   continued line) fits its line buffer; only number lines run longer;
// - blanks are spaces and tabs, a CR stands only before a LF;
// - every material sets Ka, Kd, Ks (three numbers each) and Ns, has a
//   one-word name other than "default", and follows "newmtl" after exactly
//   one blank; the library has at least one material;
// - "mtllib" names the one library, after one blank, with nothing after it,
//   before any "usemtl" of the library's names (the reader finds them above
//   the line too, having read the library in its first pass);
// - the reader gives a group one material, the one in force when its
//   faces come: while a group has faces, no "usemtl" and no return to it
//   changes its material;
// - a "g" line has a blank after the keyword, and faces after an "o" line
//   come after a "g" line (the peer names shapes after objects too).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace fuzzsupport {

struct ObjPeerText
{
    std::string obj;
    std::string mtl; // the library that obj's "mtllib" lines name
};

// Consumes bytes until they run out or the files are long enough.
// libraryName is a plain file name, without blanks.
ObjPeerText makeObjPeerText(FuzzedDataProvider &bytes, const std::string &libraryName);

} // namespace fuzzsupport
