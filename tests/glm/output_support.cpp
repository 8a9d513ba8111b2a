#include "output_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string.h>

#include <filesystem>

namespace glmtest {

ObjModel *newModel(const char *path)
{
    ObjModel *model = (ObjModel *)calloc(1, sizeof(ObjModel));
    model->path = strdup(path);
    addGroup(model, "default");
    return model;
}

static GLfloat *pointArray(const std::vector<GLfloat> &values, size_t width, GLuint *count)
{
    *count = GLuint(values.size() / width);
    GLfloat *array = (GLfloat *)calloc(values.size() + width, sizeof(GLfloat));
    if (!values.empty())
        memcpy(array + width, values.data(), values.size() * sizeof(GLfloat));
    return array;
}

void setVertices(ObjModel *model, const std::vector<GLfloat> &xyz)
{
    free(model->vertices);
    model->vertices = pointArray(xyz, 3, &model->vertexcount);
}

void setNormals(ObjModel *model, const std::vector<GLfloat> &xyz)
{
    free(model->normals);
    model->normals = pointArray(xyz, 3, &model->normalcount);
}

void setFacetNorms(ObjModel *model, const std::vector<GLfloat> &xyz)
{
    free(model->facetnorms);
    model->facetnorms = pointArray(xyz, 3, &model->facetnormcount);
}

void setUVs(ObjModel *model, const std::vector<GLfloat> &uv)
{
    free(model->uvcoords);
    model->uvcoords = pointArray(uv, 2, &model->uvcount);
}

ObjGroup *findGroup(ObjModel *model, const char *name)
{
    for (ObjGroup *g = model->grouplist; g; g = g->next)
        if (strcmp(g->name, name) == 0)
            return g;
    return nullptr;
}

ObjGroup *addGroup(ObjModel *model, const char *name)
{
    ObjGroup *group = (ObjGroup *)calloc(1, sizeof(ObjGroup));
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

    GLuint number = model->facecount++;
    model->faces = (ObjTriangle *)realloc(model->faces, model->facecount * sizeof(ObjTriangle));
    ObjTriangle &t = model->faces[number];
    const Corner corners[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        t.vertexindex[k] = corners[k].vertex;
        t.uvindex[k] = corners[k].uv;
        t.normalindex[k] = corners[k].normal;
    }
    t.facetindex = facet;

    group->faceindices =
        (GLuint *)realloc(group->faceindices, (group->facecount + 1) * sizeof(GLuint));
    group->faceindices[group->facecount++] = number;
    return number;
}

GLuint addMaterial(ObjModel *model, const char *name, const GLfloat diffuse[3],
                   const GLfloat ambient[3], const GLfloat specular[3], GLfloat shininess)
{
    GLuint number = model->materialcount++;
    model->materiallist =
        (ObjMaterial *)realloc(model->materiallist, model->materialcount * sizeof(ObjMaterial));
    ObjMaterial &m = model->materiallist[number];
    memset(&m, 0, sizeof m);
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

void freeModel(ObjModel *model)
{
    free(model->path);
    free(model->materiallib);
    free(model->vertices);
    free(model->normals);
    free(model->uvcoords);
    free(model->facetnorms);
    free(model->faces);
    for (GLuint i = 0; i < model->materialcount; ++i)
        free(model->materiallist[i].name);
    free(model->materiallist);
    while (ObjGroup *group = model->grouplist) {
        model->grouplist = group->next;
        free(group->name);
        free(group->faceindices);
        free(group);
    }
    free(model);
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "glmtest-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        ADD_FAILURE() << "mkdtemp failed";
    dir = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
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
    out << bytes;
}

} // namespace glmtest
