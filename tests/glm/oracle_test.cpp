// SPDX-License-Identifier: MIT
// The reader against a peer reader, tinyobjloader: the exporter-style files
// and the benchmark's generated models read by both give the same
// triangles, corner by corner, and the same materials. Each file's
// agreement is printed.
#include "exporterfiles.h"
#include "glmtestsupport.h"
#include "tinyobjcompare.h"

#include "bench/modelgen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using glmtest::ModelPtr;
using glmtest::PeerComparison;
using glmtest::readModel;
using glmtest::TempDir;

// The benchmark's sizes, in triangles, short of its largest.
constexpr std::size_t gridSizes[] = {2000, 10000, 100000};

void expectAgreement(const std::string &name, const PeerComparison &comparison,
                     std::size_t triangles)
{
    std::printf("%-24s %7zu triangles, %zu materials: %s (%zu values within tolerance)\n",
                name.c_str(), comparison.triangles, comparison.materials,
                comparison.differences.empty() ? "agree" : "DIFFER", comparison.inexactValues);
    EXPECT_TRUE(comparison.peerRead) << name;
    EXPECT_EQ(comparison.differences, std::vector<std::string>()) << name;
    EXPECT_EQ(comparison.triangles, triangles) << name;
}

TEST(ReaderOracle, exporterFilesAgreeWithPeer)
{
    for (const glmtest::ExporterFile &file : glmtest::exporterFiles()) {
        TempDir dir;
        dir.write(glmtest::exporterLibraryName, file.mtl);
        ModelPtr model = readModel(dir.write(file.name + ".obj", file.obj));
        const PeerComparison comparison =
            glmtest::compareWithTinyObj(model.get(), file.obj, file.mtl);
        expectAgreement(file.name, comparison, model->facecount);
        EXPECT_GT(comparison.materials, 0u) << file.name;
    }
}

TEST(ReaderOracle, generatedGridsAgreeWithPeer)
{
    TempDir dir;
    for (std::size_t size : gridSizes) {
        const GridShape shape = gridFor(size);
        const std::string path = dir.file("grid" + std::to_string(size) + ".obj");
        ASSERT_TRUE(writeGridObj(path, shape));
        ModelPtr model = readModel(path);
        expectAgreement("grid " + std::to_string(size),
                        glmtest::compareWithTinyObj(model.get(), glmtest::readFile(path), ""),
                        shape.triangles());
    }
}

} // namespace
