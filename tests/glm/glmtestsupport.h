// SPDX-License-Identifier: MIT
// Shared helpers of the model library's tests: files in a temporary
// directory, models read from text or built by hand, and messages to match
// exactly.
#pragma once

#include "glm/glm.h"

#include <memory>
#include <string>
#include <vector>

namespace glmtest {

// ---- files -----------------------------------------------------------------

// A new empty directory under the system's temporary directory, removed with
// its files by the destructor.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

    // Writes content (bytes as given, NULs included) to name below the
    // directory, creating subdirectories; returns the full path.
    std::string write(const std::string &name, const std::string &content) const;

private:
    std::string path_;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);

// ---- models ----------------------------------------------------------------

struct ModelDeleter
{
    void operator()(ObjModel *model) const { glmFreeModel(model); }
};
using ModelPtr = std::unique_ptr<ObjModel, ModelDeleter>;

inline ModelPtr readModel(const std::string &path)
{
    return ModelPtr(glmReadOBJ(path.c_str()));
}

// "v" lines for vertices 1..count at (i, 10 i, 100 i).
std::string vertexLines(int count);

// Models built by hand, in the heap layout the reader produces, so that
// glmFreeModel releases them.

// A fresh model as the reader starts it: path copied, group "default" only.
ObjModel *newModel(const char *path = "test.obj");

// Replace a 1-based array with the given elements (element 0 is added, zeroed).
void setVertices(ObjModel *model, const std::vector<GLfloat> &xyz);
void setNormals(ObjModel *model, const std::vector<GLfloat> &xyz);
void setFacetNorms(ObjModel *model, const std::vector<GLfloat> &xyz);
void setUVs(ObjModel *model, const std::vector<GLfloat> &uv);

struct Corner
{
    GLuint vertex, uv, normal;
};

// Appends a triangle to faces and to the group (created if needed); returns
// its 0-based number.
GLuint addTriangle(ObjModel *model, const char *group, Corner a, Corner b, Corner c,
                   GLuint facet = 0);

// Appends a material (the first one added should be "default").
GLuint addMaterial(ObjModel *model, const char *name, const GLfloat diffuse[3],
                   const GLfloat ambient[3], const GLfloat specular[3], GLfloat shininess);

ObjGroup *findGroup(ObjModel *model, const char *name);
ObjGroup *addGroup(ObjModel *model, const char *name); // new group at the head

// ---- messages --------------------------------------------------------------

// The whole text as an anchored extended regular expression, for death
// tests that must see exactly one message.
std::string exactly(const std::string &text);

// In a death test's child: what the library prints on standard output is
// sent to standard error, where the test looks for it.
void stdoutToStderr();

} // namespace glmtest
