// SPDX-License-Identifier: MIT
#include "bench/objreaders.h"

#include "glm/glm.h"

#include <assimp/Importer.hpp>
#include <assimp/mesh.h>
#include <assimp/scene.h>
#include <tiny_obj_loader.h>

#include <vector>

namespace {

// assimp: no post-processing at all, so it does what the others do: parse.
constexpr unsigned assimpNoPostProcessing = 0;

// tinyobjloader: the test files hold triangles only (the triangle count is
// checked), so triangulation has nothing to do; no white vertex colours are
// made up for files without colours. Its fastest options, and what the
// others do.
constexpr bool tinyobjTriangulate = false;
constexpr bool tinyobjDefaultVertexColours = false;

ReadCounts readGlm(const std::string &path)
{
    ReadCounts counts;
    ObjModel *model = glmReadOBJ(path.c_str()); // exits on a missing file
    counts.ok = true;
    counts.positions = model->vertexcount;
    counts.triangles = model->facecount;
    glmFreeModel(model);
    return counts;
}

ReadCounts readTinyObj(const std::string &path)
{
    ReadCounts counts;
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    counts.ok =
        tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &counts.error, path.c_str(),
                         nullptr, tinyobjTriangulate, tinyobjDefaultVertexColours);
    counts.positions = attrib.vertices.size() / 3;
    for (const tinyobj::shape_t &shape : shapes)
        counts.triangles += shape.mesh.num_face_vertices.size();
    return counts;
}

ReadCounts readAssimp(const std::string &path)
{
    ReadCounts counts;
    Assimp::Importer importer;
    const aiScene *scene = importer.ReadFile(path, assimpNoPostProcessing);
    if (!scene) {
        counts.error = importer.GetErrorString();
        return counts;
    }
    counts.ok = true;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        // Without post-processing every corner is a vertex of its own.
        counts.triangles += scene->mMeshes[m]->mNumFaces;
        counts.positions += scene->mMeshes[m]->mNumVertices;
    }
    return counts;
}

} // namespace

const char *readerName(ObjReader reader)
{
    switch (reader) {
    case ObjReader::glm:
        return "glmReadOBJ";
    case ObjReader::tinyobj:
        return "tinyobjloader";
    case ObjReader::assimp:
        return "assimp";
    }
    return "?";
}

bool readerFromName(const std::string &name, ObjReader &reader)
{
    for (ObjReader r : allObjReaders)
        if (name == readerName(r)) {
            reader = r;
            return true;
        }
    return false;
}

ReadCounts readObj(ObjReader reader, const std::string &path)
{
    switch (reader) {
    case ObjReader::glm:
        return readGlm(path);
    case ObjReader::tinyobj:
        return readTinyObj(path);
    case ObjReader::assimp:
        return readAssimp(path);
    }
    return ReadCounts();
}
