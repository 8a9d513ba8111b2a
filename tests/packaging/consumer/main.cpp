// SPDX-License-Identifier: MIT
// objcount: prints what the model library read from an OBJ file.
#include "glm/glm.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: objcount FILE.obj\n");
        return 2;
    }
    ObjModel *model = glmReadOBJ(argv[1]);
    std::printf("vertices %u normals %u uvs %u triangles %u groups %u materials %u\n",
                model->vertexcount, model->normalcount, model->uvcount, model->facecount,
                model->groupcount, model->materialcount);
    for (ObjGroup *group = model->grouplist; group; group = group->next)
        std::printf("group [%s] triangles %u material %s\n", group->name, group->facecount,
                    model->materiallist ? model->materiallist[group->material].name : "-");
    glmFreeModel(model);
    return 0;
}
