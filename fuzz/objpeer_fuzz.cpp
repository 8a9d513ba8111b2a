// SPDX-License-Identifier: MIT
// The OBJ reader against a peer reader, tinyobjloader: the fuzz bytes make a
// valid OBJ file and its MTL library within the statements both read alike
// (objpeertext.h), both readers read them, and any difference the
// comparison finds (tinyobjcompare.h: triangles, corner indices and points,
// groups, materials) is a finding, as is the reader refusing the files.
//
// The reader ends the program on input it refuses, so it runs in a forked
// child (forkserver.h) that takes the files from the scratch directory.
// With RADAR_FUZZ_VERBOSE set the child prints the files it reads, and the
// reader's message if it refuses them.
#include "forkserver.h"
#include "objpeertext.h"
#include "scratchdir.h"

#include "glm/glm.h"
#include "tinyobjcompare.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const char libraryName[] = "peer.mtl";
const int documentedExitStatus = 1; // never expected here: every file is valid

std::string objPath;
std::string mtlPath;

// Runs in the fork server's child.
void readAndCompare()
{
    const std::string obj = fuzzsupport::readFile(objPath);
    const std::string mtl = fuzzsupport::readFile(mtlPath);
    std::fprintf(stderr, "--- %s\n%s\n--- %s\n%s\n", objPath.c_str(), obj.c_str(), mtlPath.c_str(),
                 mtl.c_str());

    fuzzsupport::exitIsFinding(true);
    ObjModel *model = glmReadOBJ(objPath.c_str());
    fuzzsupport::exitIsFinding(false);
    const glmtest::PeerComparison comparison = glmtest::compareWithTinyObj(model, obj, mtl);
    if (!comparison.differences.empty()) {
        std::string report = "the reader and tinyobjloader differ:";
        for (const std::string &difference : comparison.differences)
            report += "\n  " + difference;
        fuzzsupport::finding(report);
    }
    glmFreeModel(model);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    objPath = fuzzsupport::scratchPath("peer.obj");
    mtlPath = fuzzsupport::scratchPath(libraryName);
    fuzzsupport::startForkServer(readAndCompare, documentedExitStatus);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider bytes(data, size);
    const fuzzsupport::ObjPeerText text = fuzzsupport::makeObjPeerText(bytes, libraryName);
    fuzzsupport::writeFile(objPath, text.obj.data(), text.obj.size());
    fuzzsupport::writeFile(mtlPath, text.mtl.data(), text.mtl.size());
    fuzzsupport::runForked();
    return 0;
}
