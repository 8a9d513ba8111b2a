// SPDX-License-Identifier: MIT
// What glmReadOBJ made of a file, compared with what tinyobjloader (a peer
// reader, from Debian) reads from the same text: the triangles corner by
// corner (indices and the points they give), with tinyobjloader's polygons
// fanned as the reader fans them, each triangle's group and material, and
// the materials of the library.
//
// The two agree on the statements both read the same way: lines within the
// reader's 127 bytes, decimal numbers, faces of at most 255 corners (the
// peer counts them in a byte), no keyword of neither format, every material
// setting Ka, Kd, Ks and Ns, and one library per model. Continued lines are
// joined before the peer reads them, as it does not know them. Where the
// formats' readings differ by design, the text must keep clear of the
// difference:
// - the reader reads the library in its first pass and resolves every
//   "usemtl" against it, the peer only those after its "mtllib" line;
// - the reader gives a group one material, the one set last while it is
//   current; the peer gives each face the one in force;
// - the peer names faces after an "o" line by the object, and ignores a
//   "g" without a blank after it; the reader has groups only, and names
//   one from all that follows the keyword.
// Group names are compared word by word, the reader's "default" group as
// the peer's unnamed shape.
#pragma once

#include "glm/glm.h"

#include <cstddef>
#include <string>
#include <vector>

namespace glmtest {

struct PeerComparison
{
    bool peerRead = false;                // false: the peer refused the text (see differences)
    std::size_t triangles = 0;            // compared
    std::size_t materials = 0;            // compared, "default" not included
    std::size_t inexactValues = 0;        // equal within tolerance, not bit for bit
    std::vector<std::string> differences; // one line each; the first few only
};

// model is glmReadOBJ's result for obj, whose library text is mtl.
PeerComparison compareWithTinyObj(const ObjModel *model, const std::string &obj,
                                  const std::string &mtl);

} // namespace glmtest
