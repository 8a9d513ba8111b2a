// SPDX-License-Identifier: MIT
// The OBJ fuzz target's oracle: what a model must look like once it has
// been written with glmWriteOBJ in a mode and read back with glmReadOBJ.
//
// Written from the formats' rules, not from the writer: the mode as its
// adjustment leaves it; every vertex, and the normals and texture
// coordinates the mode writes, within the six decimals of "%f"; the same
// triangles with the same corner indices, group by group (a component the
// three corners do not all carry comes back as 0); each group under the
// name a "g" line gives it back (one more leading blank, a name line's
// length, a CR before the line end dropped; groups whose names meet merge in
// the order written); and in material mode every material after the
// reader's own "default", each group naming the same material.
#pragma once

#include "glm/glm.h"

#include <string>

namespace fuzzsupport {

// Empty when back is what writing source in mode and reading the file
// again must give; otherwise the first difference found.
std::string roundTripDifference(const ObjModel &source, const ObjModel &back, GLuint mode);

} // namespace fuzzsupport
