// SPDX-License-Identifier: MIT
// The OBJ reader with its MTL library on arbitrary bytes, with two oracles
// for what it accepts, followed by what the scene does with a model it has
// read: fit it into the unit cube, give it facet and vertex normals, and
// free it.
//
// Oracles: the model, with facet normals added so that flat output has
// them, is written in every mode and read back (objroundtrip.h), half of
// the writes into the directory it was read from, where neither of its
// files may change; and fitting finite coordinates gives finite ones
// within the unit cube.
//
// Input: the OBJ file, then optionally the separator line "\n@mtl\n" and the
// MTL file. Both are written as "model.obj" and "model.mtl" into a scratch
// directory, so a "mtllib model.mtl" line finds the library.
//
// The reader ends the program with exit(1) on a file it cannot open or on
// input it refuses, and the writer on a library it cannot create; those
// are expected outcomes, so each input runs in a forked child
// (forkserver.h). Reading back what the writer wrote must never exit.
#include "forkserver.h"
#include "objroundtrip.h"
#include "scratchdir.h"

#include "glm/glm.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

const char separator[] = "\n@mtl\n";
const std::size_t separatorLength = sizeof separator - 1;
const int documentedExitStatus = 1;
const GLfloat creaseAngleDegrees = 90.0f; // the scene's smoothing angle
const GLuint modeCount = 32;              // every combination of the GLM_DRAW_ flags
// Fitted coordinates lie within the cube from -1 to 1, give or take the
// rounding of the last step.
const GLfloat cubeBound = 1.0f + 1e-6f;

std::string objPath;
std::string mtlPath;
std::string outDirectory;
std::string besideSource; // an output file in the model's own directory
std::string elsewhere;    // one in a directory of its own

bool allFinite(const GLfloat *values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

void writeEveryModeAndReadBack(const ObjModel &model)
{
    const std::string objBefore = fuzzsupport::readFile(objPath);
    const std::string mtlBefore = fuzzsupport::readFile(mtlPath);
    for (GLuint mode = 0; mode < modeCount; ++mode) {
        // The colour flag changes nothing in the output; it picks the place.
        const std::string &out = mode & GLM_DRAW_COLOR ? besideSource : elsewhere;
        glmWriteOBJ(const_cast<ObjModel *>(&model), out.c_str(), mode);

        fuzzsupport::exitIsFinding(true);
        ObjModel *back = glmReadOBJ(out.c_str());
        fuzzsupport::exitIsFinding(false);
        const std::string difference = fuzzsupport::roundTripDifference(model, *back, mode);
        if (!difference.empty())
            fuzzsupport::finding("written in mode " + std::to_string(mode) + " and read back, " +
                                 difference);
        glmFreeModel(back);
    }
    if (fuzzsupport::readFile(objPath) != objBefore || fuzzsupport::readFile(mtlPath) != mtlBefore)
        fuzzsupport::finding("writing changed a file the model was read from");
}

// Runs in the fork server's child.
void readAndUse()
{
    ObjModel *model = glmReadOBJ(objPath.c_str());
    glmFaceNormals(model);
    writeEveryModeAndReadBack(*model);

    const std::size_t coordinates = std::size_t{3} * model->vertexcount;
    const bool finite = allFinite(model->vertices + 3, coordinates);
    glmFitToUnitCube(model);
    for (std::size_t i = 3; finite && i < coordinates + 3; ++i)
        if (!(std::fabs(model->vertices[i]) <= cubeBound))
            fuzzsupport::finding("fitting finite coordinates gave " +
                                 std::to_string(model->vertices[i]));

    glmFaceNormals(model);
    glmVertexNormals(model, creaseAngleDegrees);
    glmFreeModel(model);
}

// Leaves only the input files, so that nothing a previous input wrote is
// found by the next.
void clearOutputs()
{
    const std::filesystem::path directory = std::filesystem::path(objPath).parent_path();
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(directory, ignored)) {
        const std::string path = entry.path().string();
        if (path != objPath && path != mtlPath)
            std::filesystem::remove_all(entry.path(), ignored);
    }
    std::filesystem::create_directory(outDirectory, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    objPath = fuzzsupport::scratchPath("model.obj");
    mtlPath = fuzzsupport::scratchPath("model.mtl");
    besideSource = fuzzsupport::scratchPath("written.obj");
    outDirectory = fuzzsupport::scratchPath("out");
    elsewhere = outDirectory + "/written.obj";
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
    clearOutputs();
    fuzzsupport::runForked();
    return 0;
}
