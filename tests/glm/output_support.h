// Helpers for the drawing, writer, welding and image tests: models built by
// hand (the same heap layout the reader produces), temporary directories and
// whole-file reads.
#pragma once

#include "glm/glm.h"

#include <string>
#include <vector>

namespace glmtest {

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

// Frees a model built by these helpers (same layout as glmFreeModel expects).
void freeModel(ObjModel *model);

// A new empty directory under the system's temporary directory, removed with
// its files by the destructor.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return dir; }
    std::string file(const std::string &name) const { return dir + "/" + name; }

private:
    std::string dir;
};

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &bytes);

} // namespace glmtest
