// SPDX-License-Identifier: MIT
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace glmtest {

// ---- files -----------------------------------------------------------------

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "glmtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string &name, const std::string &content) const
{
    const std::filesystem::path full = std::filesystem::path(path_) / name;
    std::filesystem::create_directories(full.parent_path());
    writeFile(full.string(), content);
    return full.string();
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// ---- models ----------------------------------------------------------------

std::string vertexLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "v " + std::to_string(i) + " " + std::to_string(10 * i) + " " +
                std::to_string(100 * i) + "\n";
    return text;
}

namespace {

GLfloat *pointArray(const std::vector<GLfloat> &values, std::size_t width, GLuint *count)
{
    *count = static_cast<GLuint>(values.size() / width);
    GLfloat *array = static_cast<GLfloat *>(std::calloc(values.size() + width, sizeof(GLfloat)));
    if (!values.empty())
        std::memcpy(array + width, values.data(), values.size() * sizeof(GLfloat));
    return array;
}

} // namespace

ObjModel *newModel(const char *path)
{
    ObjModel *model = static_cast<ObjModel *>(std::calloc(1, sizeof(ObjModel)));
    model->path = strdup(path);
    addGroup(model, "default");
    return model;
}

void setVertices(ObjModel *model, const std::vector<GLfloat> &xyz)
{
    std::free(model->vertices);
    model->vertices = pointArray(xyz, 3, &model->vertexcount);
}

void setNormals(ObjModel *model, const std::vector<GLfloat> &xyz)
{
    std::free(model->normals);
    model->normals = pointArray(xyz, 3, &model->normalcount);
}

void setFacetNorms(ObjModel *model, const std::vector<GLfloat> &xyz)
{
    std::free(model->facetnorms);
    model->facetnorms = pointArray(xyz, 3, &model->facetnormcount);
}

void setUVs(ObjModel *model, const std::vector<GLfloat> &uv)
{
    std::free(model->uvcoords);
    model->uvcoords = pointArray(uv, 2, &model->uvcount);
}

ObjGroup *findGroup(ObjModel *model, const char *name)
{
    for (ObjGroup *g = model->grouplist; g; g = g->next)
        if (std::strcmp(g->name, name) == 0)
            return g;
    return nullptr;
}

ObjGroup *addGroup(ObjModel *model, const char *name)
{
    ObjGroup *group = static_cast<ObjGroup *>(std::calloc(1, sizeof(ObjGroup)));
    group->name = strdup(name);
    group->next = model->grouplist;
    model->grouplist = group;
    model->groupcount++;
    return group;
}

GLuint addTriangle(ObjModel *model, const char *groupName, Corner a, Corner b, Corner c,
                   GLuint facet)
{
    ObjGroup *group = findGroup(model, groupName);
    if (!group)
        group = addGroup(model, groupName);

    const GLuint number = model->facecount++;
    model->faces = static_cast<ObjTriangle *>(
        std::realloc(model->faces, model->facecount * sizeof(ObjTriangle)));
    ObjTriangle &t = model->faces[number];
    const Corner corners[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        t.vertexindex[k] = corners[k].vertex;
        t.uvindex[k] = corners[k].uv;
        t.normalindex[k] = corners[k].normal;
    }
    t.facetindex = facet;

    group->faceindices = static_cast<GLuint *>(
        std::realloc(group->faceindices, (group->facecount + 1) * sizeof(GLuint)));
    group->faceindices[group->facecount++] = number;
    return number;
}

GLuint addMaterial(ObjModel *model, const char *name, const GLfloat diffuse[3],
                   const GLfloat ambient[3], const GLfloat specular[3], GLfloat shininess)
{
    const GLuint number = model->materialcount++;
    model->materiallist = static_cast<ObjMaterial *>(
        std::realloc(model->materiallist, model->materialcount * sizeof(ObjMaterial)));
    ObjMaterial &m = model->materiallist[number];
    m = ObjMaterial();
    m.name = strdup(name);
    for (int i = 0; i < 3; ++i) {
        m.diffuse[i] = diffuse[i];
        m.ambient[i] = ambient[i];
        m.specular[i] = specular[i];
    }
    m.diffuse[3] = m.ambient[3] = m.specular[3] = 1.0f;
    m.shininess = shininess;
    return number;
}

// ---- messages --------------------------------------------------------------

std::string exactly(const std::string &text)
{
    std::string pattern = "^";
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

void stdoutToStderr()
{
    std::fflush(stdout);
    dup2(2, 1);
}

} // namespace glmtest
