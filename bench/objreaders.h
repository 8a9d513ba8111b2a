// SPDX-License-Identifier: MIT
// The three OBJ readers compared, behind one call, each called the fastest
// way its documentation offers: glmReadOBJ; tinyobjloader's LoadObj on the
// file name (no material directory, no triangulation, no default vertex
// colours); assimp's Importer::ReadFile with no post-processing steps. Each
// reads the whole file into its own model and frees it again before
// returning.
#pragma once

#include <cstddef>
#include <string>

enum class ObjReader { glm, tinyobj, assimp };

constexpr ObjReader allObjReaders[] = {ObjReader::glm, ObjReader::tinyobj, ObjReader::assimp};

const char *readerName(ObjReader reader); // "glmReadOBJ", "tinyobjloader", "assimp"
bool readerFromName(const std::string &name, ObjReader &reader);

struct ReadCounts
{
    bool ok = false;
    std::size_t positions = 0; // "v" lines as the reader holds them
    std::size_t triangles = 0;
    std::string error; // when not ok
};

ReadCounts readObj(ObjReader reader, const std::string &path);
