// SPDX-License-Identifier: MIT
// The model record's helpers: groups, materials, paths, small float and
// vector functions, and freeing.
#include "glm/glm.h"

#include "glm/glmalloc.h"
#include "glm/glmassert.h"
#include "glm/modelbuild.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

ObjGroup *glmLookupGroup(ObjModel *model, const char *name)
{
    GLM_ASSERT(model);
    for (ObjGroup *group = model->grouplist; group; group = group->next)
        if (std::strcmp(name, group->name) == 0)
            return group;
    return nullptr;
}

ObjGroup *glmAppendGroup(ObjModel *model, const char *name)
{
    ObjGroup *group = glmLookupGroup(model, name);
    return group ? group : glmNewGroup(model, name);
}

ObjGroup *glmNewGroup(ObjModel *model, const char *name)
{
    ObjGroup *group = static_cast<ObjGroup *>(glmAllocate(1, sizeof(ObjGroup), "glmAppendGroup"));
    group->name = glmDuplicate(name, "glmAppendGroup");
    group->facecount = 0;
    group->faceindices = nullptr;
    group->material = 0;
    group->next = model->grouplist;
    model->grouplist = group;
    model->groupcount++;
    return group;
}

GLuint glmFindMaterial(ObjModel *model, const char *name)
{
    for (GLuint i = 0; i < model->materialcount; ++i)
        if (std::strcmp(model->materiallist[i].name, name) == 0)
            return i;
    glmReportMissingMaterial(name);
    return 0;
}

void glmReportMissingMaterial(const char *name)
{
    std::printf("glmFindMaterial():  can't find material \"%s\".\n", name);
}

char *glmDirectoryOf(const char *path)
{
    char *directory = glmDuplicate(path, "glmDirectoryOf");
    char *slash = std::strrchr(directory, '/');
    if (slash)
        slash[1] = '\0';
    else
        directory[0] = '\0';
    return directory;
}

GLfloat glmMax(GLfloat a, GLfloat b)
{
    if (b > a)
        return b;
    return a;
}

GLfloat glmAbs(GLfloat f)
{
    if (f < 0)
        return -f;
    return f;
}

void glmNormalizeVector(GLfloat *v)
{
    GLM_ASSERT(v);
    const GLfloat length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    // A zero-length vector has no direction; it stays as it is rather than
    // turning into not-a-numbers.
    if (length == 0.0f)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void glmFreeModel(ObjModel *model)
{
    GLM_ASSERT(model);
    std::free(model->path);
    std::free(model->materiallib);
    std::free(model->vertices);
    std::free(model->normals);
    std::free(model->uvcoords);
    std::free(model->facetnorms);
    std::free(model->faces);
    if (model->materiallist) {
        for (GLuint i = 0; i < model->materialcount; ++i)
            std::free(model->materiallist[i].name);
        std::free(model->materiallist);
    }
    while (model->grouplist) {
        ObjGroup *group = model->grouplist;
        model->grouplist = group->next;
        std::free(group->name);
        std::free(group->faceindices);
        std::free(group);
    }
    std::free(model);
}
