// The OBJ reader with its MTL library on arbitrary bytes, followed by what
// the scene does with a model it has read: fit it into the unit cube, give
// it facet and vertex normals, and free it.
//
// Input: the OBJ file, then optionally the separator line "\n@mtl\n" and the
// MTL file. Both are written as "model.obj" and "model.mtl" into a scratch
// directory, so a "mtllib model.mtl" line finds the library.
//
// The reader ends the program with exit(1) on a file it cannot open or on
// input it refuses; that is an expected outcome, so each read runs in a
// forked child (forkserver.h).
#include "forkserver.h"
#include "scratchdir.h"

#include "glm/glm.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char separator[] = "\n@mtl\n";
const std::size_t separatorLength = sizeof separator - 1;
const int documentedExitStatus = 1;
const GLfloat creaseAngleDegrees = 90.0f; // the scene's smoothing angle

std::string objPath;
std::string mtlPath;

// Runs in the fork server's child.
void readAndUse()
{
    ObjModel *model = glmReadOBJ(objPath.c_str());
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, creaseAngleDegrees);
    glmFreeModel(model);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    objPath = fuzzsupport::scratchPath("model.obj");
    mtlPath = fuzzsupport::scratchPath("model.mtl");
    fuzzsupport::startForkServer(readAndUse, documentedExitStatus);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const char *cut = static_cast<const char *>(memmem(bytes, size, separator, separatorLength));
    const std::size_t objSize = cut ? std::size_t(cut - bytes) : size;
    const std::size_t mtlStart = cut ? objSize + separatorLength : size;

    fuzzsupport::writeFile(objPath, bytes, objSize);
    fuzzsupport::writeFile(mtlPath, bytes + mtlStart, size - mtlStart);
    fuzzsupport::runForked();
    return 0;
}
