// SPDX-License-Identifier: MIT
// The reader's exits and its behaviour on unsafe input: files that cannot
// be opened, unknown statements, indices outside their arrays, broken
// faces, over-long tokens and lines, NUL bytes, and files whose two passes
// would see different statements.
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

using glmtest::exactly;
using glmtest::ModelPtr;
using glmtest::readModel;
using glmtest::stdoutToStderr;
using glmtest::TempDir;
using glmtest::vertexLines;

using testing::ExitedWithCode;

void expectReadExits(const std::string &path, const std::string &message)
{
    EXPECT_EXIT(glmReadOBJ(path.c_str()), ExitedWithCode(1), exactly(message));
}

void expectReadExitsOnStdout(const std::string &path, const std::string &message)
{
    EXPECT_EXIT(
        {
            stdoutToStderr();
            glmReadOBJ(path.c_str());
        },
        ExitedWithCode(1), exactly(message));
}

TEST(ReaderExits, missingModelFile)
{
    TempDir dir;
    const std::string path = dir.path() + "/absent.obj";
    expectReadExits(path, "glmReadOBJ() failed: can't open data file \"" + path + "\".\n");
}

TEST(ReaderExits, directoryAsModelFile)
{
    TempDir dir;
    expectReadExits(dir.path(),
                    "glmReadOBJ() failed: can't open data file \"" + dir.path() + "\".\n");
}

TEST(ReaderExits, missingMaterialLibraryIsLookedForBesideModel)
{
    TempDir dir;
    dir.write("lib.mtl", "newmtl here\n"); // in the wrong directory
    const std::string path = dir.write("sub/model.obj", "v 0 0 0\nmtllib lib.mtl\n");
    expectReadExits(path, "glmReadMTL() failed: can't open material file \"" + dir.path() +
                              "/sub/lib.mtl\".\n");
}

TEST(ReaderExits, emptyLibraryNameNamesTheDirectory)
{
    TempDir dir;
    const std::string path = dir.write("model.obj", "mtllib\n");
    expectReadExits(path,
                    "glmReadMTL() failed: can't open material file \"" + dir.path() + "/\".\n");
}

TEST(ReaderExits, unknownVertexStatements)
{
    TempDir dir;
    expectReadExitsOnStdout(dir.write("vx.obj", "v 0 0 0\nvx 0.5 0.5\n"),
                            "glmFirstPass(): Unknown token \"vx\".\n");
    expectReadExitsOnStdout(dir.write("digit.obj", "v1 2 3\n"),
                            "glmFirstPass(): Unknown token \"v1\".\n");
    expectReadExitsOnStdout(dir.write("sign.obj", "v-1 2 3\n"),
                            "glmFirstPass(): Unknown token \"v-1\".\n");
    // Only the first 127 bytes of a longer token are the token.
    const std::string longToken = "vx" + std::string(300, 'y');
    expectReadExitsOnStdout(dir.write("long.obj", longToken + "\n"),
                            "glmFirstPass(): Unknown token \"" + longToken.substr(0, 127) +
                                "\".\n");
}

// A continued line is read whole or not at all: one that the 127 bytes a
// line is read into cannot hold ends the program.
TEST(ReaderExits, continuedLineBeyondTheLineLimit)
{
    TempDir dir;
    const std::string path = dir.write("long.obj", "v 0 0 0\ng " + std::string(100, 'n') + " \\\n" +
                                                       std::string(100, 'n') + "\n");
    expectReadExits(path, "glmReadOBJ(): continued line longer than 127 bytes in \"" + path +
                              "\" line 2.\n");
}

TEST(ReaderUnsafeIndices, indexZeroExits)
{
    TempDir dir;
    const std::string path = dir.write("zero.obj", vertexLines(3) + "f 1 2 3\nf 1 2 0\n");
    expectReadExits(path,
                    "glmReadOBJ(): vertex index 0 out of range in \"" + path + "\" line 5.\n");
}

TEST(ReaderUnsafeIndices, indicesBeyondTheirCountsExit)
{
    TempDir dir;
    const std::string vertex = dir.write("v.obj", vertexLines(3) + "f 1 2 4\n");
    expectReadExits(vertex,
                    "glmReadOBJ(): vertex index 4 out of range in \"" + vertex + "\" line 4.\n");
    const std::string uv = dir.write("vt.obj", vertexLines(3) + "vt 0 0\nvt 1 1\nf 1/1 2/3 3/2\n");
    expectReadExits(uv, "glmReadOBJ(): texture coordinate index 3 out of range in \"" + uv +
                            "\" line 6.\n");
    const std::string normal = dir.write("vn.obj", vertexLines(3) + "f 1//1 2//1 3//1\n");
    expectReadExits(normal,
                    "glmReadOBJ(): normal index 1 out of range in \"" + normal + "\" line 4.\n");
    const std::string huge =
        dir.write("huge.obj", vertexLines(3) + "f 1 2 " + std::string(200, '9') + "\n");
    EXPECT_EXIT(glmReadOBJ(huge.c_str()), ExitedWithCode(1),
                "^glmReadOBJ\\(\\): vertex index [0-9]+ out of range");
}

TEST(ReaderUnsafeIndices, negativeIndexBeforeFirstElementExits)
{
    TempDir dir;
    // Forward references are fine for positive indices, but -3 after only
    // two vertices read points before the first.
    const std::string path = dir.write("neg.obj", "v 0 0 0\nv 1 0 0\nf 1 2 3\nf -3 1 2\nv 0 1 0\n");
    expectReadExits(path,
                    "glmReadOBJ(): vertex index -3 out of range in \"" + path + "\" line 4.\n");
}

TEST(ReaderUnsafeFaces, fewerThanThreeCornersExits)
{
    TempDir dir;
    const std::string two = dir.write("two.obj", vertexLines(3) + "f 1 2\ng next\n");
    expectReadExits(two, "glmReadOBJ(): face with fewer than three corners in \"" + two +
                             "\" line 4.\n");
    const std::string atEnd = dir.write("end.obj", vertexLines(3) + "f 1 2");
    expectReadExits(atEnd, "glmReadOBJ(): face with fewer than three corners in \"" + atEnd +
                               "\" line 4.\n");
    const std::string bare = dir.write("bare.obj", vertexLines(3) + "f\n");
    expectReadExits(bare, "glmReadOBJ(): face with fewer than three corners in \"" + bare +
                              "\" line 4.\n");
    const std::string words = dir.write("words.obj", vertexLines(3) + "f x y z\n");
    expectReadExits(words, "glmReadOBJ(): face with fewer than three corners in \"" + words +
                               "\" line 4.\n");
}

TEST(ReaderUnsafeFaces, cornerMissingANumberOfItsFormExits)
{
    TempDir dir;
    std::string base = vertexLines(3) + "vt 0 0\nvn 0 0 1\n";
    const std::string second = dir.write("second.obj", base + "f 1/1/1 2/1 3/1/1\n");
    expectReadExits(second, "glmReadOBJ(): incomplete face corner in \"" + second + "\" line 6.\n");
    const std::string fourth = dir.write("fourth.obj", base + "f 1//1 2//1 3//1 1//\n");
    expectReadExits(fourth, "glmReadOBJ(): incomplete face corner in \"" + fourth + "\" line 6.\n");
    const std::string first = dir.write("first.obj", base + "f 1// 2//1 3//1\n");
    expectReadExits(first, "glmReadOBJ(): incomplete face corner in \"" + first + "\" line 6.\n");
    // A "//" anywhere in the first token makes it the vertex//normal form.
    const std::string mixed = dir.write("mixed.obj", base + "f 1/1/1//1 2//1 3//1\n");
    expectReadExits(mixed, "glmReadOBJ(): incomplete face corner in \"" + mixed + "\" line 6.\n");
    const std::string slashes = dir.write("slashes.obj", base + "f //1 2//1 3//1\n");
    expectReadExits(slashes,
                    "glmReadOBJ(): incomplete face corner in \"" + slashes + "\" line 6.\n");
    // Normals left out after their slash, on the first corner and after it.
    const std::string open = dir.write("open.obj", base + "f 1/1/\n");
    expectReadExits(open, "glmReadOBJ(): incomplete face corner in \"" + open + "\" line 6.\n");
    const std::string later = dir.write("later.obj", base + "f 1/1 2/1/ 3/1\n");
    expectReadExits(later, "glmReadOBJ(): incomplete face corner in \"" + later + "\" line 6.\n");
}

TEST(ReaderUnsafeFaces, cornerWithMoreNumbersThanItsFormExits)
{
    TempDir dir;
    const std::string path =
        dir.write("forms.obj", vertexLines(3) + "vt 0 0\nvn 0 0 1\nf 1/1 2/1/1 3/1\n");
    expectReadExits(path,
                    "glmReadOBJ(): face corners of different forms in \"" + path + "\" line 6.\n");
}

TEST(ReaderUnsafeFaces, firstCornerTokenIsCutAt127Bytes)
{
    TempDir dir;
    // Written out, the first normal index is 1, but the 127-byte token ends
    // in zeros; the rest of it, "0000000" and "1/1/1", is the next corner.
    const std::string path =
        dir.write("cut.obj", vertexLines(3) + "vt 0 0\nvn 0 0 1\nf 1/1/" + std::string(130, '0') +
                                 "1/1/1 2/1/1 3/1/1\n");
    expectReadExits(path,
                    "glmReadOBJ(): normal index 0 out of range in \"" + path + "\" line 6.\n");
}

// The counting pass skips the rest of a "v" line, the filling pass reads
// only its numbers; a statement hidden behind them is seen by one pass only.
// Neither may make the other write past what was counted.
TEST(ReaderDivergingPasses, statementsOnlyTheFillingPassSeesAreDropped)
{
    TempDir dir;
    ModelPtr vertices = readModel(dir.write("v.obj", "v 1 2 3 v 4 5 6\n"));
    ASSERT_EQ(vertices->vertexcount, 1u);
    EXPECT_EQ(vertices->vertices[3], 1.0f);
    EXPECT_EQ(vertices->vertices[5], 3.0f);

    ModelPtr faces = readModel(dir.write("f.obj", "v 1 2 3 f 1 1 1\nv 0 0 0 g hidden\n"
                                                  "vn 0 0 1 vn 0 1 0\nvt 0 0 vt 1 1 vp 0\n"));
    EXPECT_EQ(faces->facecount, 0u);
    EXPECT_EQ(faces->groupcount, 1u);
    EXPECT_EQ(faces->normalcount, 1u);
    EXPECT_EQ(faces->uvcount, 1u);
    EXPECT_EQ(faces->grouplist->facecount, 0u);

    dir.write("m.mtl", "Kd 1 1 1 newmtl extra\nKd 0.5 0.5 0.5\n");
    ModelPtr materials = readModel(dir.write("m.obj", "mtllib m.mtl\n"));
    ASSERT_EQ(materials->materialcount, 1u);
    EXPECT_STREQ(materials->materiallist[0].name, "default");
    EXPECT_EQ(materials->materiallist[0].diffuse[0], 1.0f);
}

TEST(ReaderDivergingPasses, elementsOnlyTheCountingPassSeesStayZero)
{
    TempDir dir;
    // The counting pass's skip of the first line ends 127 bytes after "v",
    // where it meets "v 5 5 5"; the filling pass's skip after "#" runs on
    // through the line end and never sees it.
    const std::string line = "v 1 2 3 #" + std::string(119, 'x') + "v 5 5 5\n";
    ModelPtr model = readModel(dir.write("hidden.obj", line + "f 1 2 2\n"));
    ASSERT_EQ(model->vertexcount, 2u);
    EXPECT_EQ(model->vertices[3], 1.0f);
    EXPECT_EQ(model->vertices[6], 0.0f);
    EXPECT_EQ(model->vertices[8], 0.0f);
    EXPECT_EQ(model->facecount, 1u);
}

TEST(ReaderOddBytes, nulBytesEndNamesAndTokens)
{
    TempDir dir;
    static const char bytes[] = "v 1 2 3\ng a\0b\n\0\0 junk\nv\0x 4 5 6\nf 1 1 2\n";
    const std::string text(bytes, sizeof bytes - 1);
    ModelPtr model = readModel(dir.write("nul.obj", text));
    ASSERT_EQ(model->groupcount, 2u);
    EXPECT_STREQ(model->grouplist->name, " a");
    EXPECT_EQ(model->vertexcount, 2u);
    EXPECT_EQ(model->vertices[3 * 2 + 2], 6.0f);
    EXPECT_EQ(model->grouplist->facecount, 1u);
}

TEST(ReaderOddBytes, unterminatedAndHugeLines)
{
    TempDir dir;
    ModelPtr last = readModel(dir.write("last.obj", "g last"));
    EXPECT_STREQ(last->grouplist->name, " last");

    ModelPtr huge = readModel(dir.write("huge.obj", "# " + std::string(1 << 20, 'x')));
    EXPECT_EQ(huge->vertexcount, 0u);

    // The rest of each name line is read as tokens starting with "0",
    // which are skipped.
    std::string manyGroups;
    for (int i = 0; i < 40; ++i)
        manyGroups += "g n" + std::to_string(i) + "_" + std::string(1000 + i, '0') + "\n";
    ModelPtr groups = readModel(dir.write("groups.obj", manyGroups));
    EXPECT_EQ(groups->groupcount, 41u);
    for (const ObjGroup *g = groups->grouplist; g; g = g->next)
        EXPECT_LE(std::string(g->name).size(), 127u);
}

// Files are mapped when their last page has room for the end marker and
// read otherwise; a number running up to the last byte ends there either way.
TEST(ReaderOddBytes, numberAtEndOfFileOfAnySize)
{
    TempDir dir;
    const long page = sysconf(_SC_PAGESIZE);
    for (long size : {page - 1, page, page + 1, 2 * page}) {
        const std::string tail = "v 1 2 3.5";
        const std::string text = "#" + std::string(size - tail.size() - 2, 'x') + "\n" + tail;
        ASSERT_EQ(static_cast<long>(text.size()), size);
        ModelPtr model = readModel(dir.write("end" + std::to_string(size) + ".obj", text));
        ASSERT_EQ(model->vertexcount, 1u) << size;
        EXPECT_EQ(model->vertices[5], 3.5f) << size;
    }
}

TEST(ReaderOddBytes, emptyAndBlankFiles)
{
    TempDir dir;
    ModelPtr blank = readModel(dir.write("blank.obj", " \n\t\r\n\n"));
    EXPECT_EQ(blank->vertexcount, 0u);
    EXPECT_EQ(blank->facecount, 0u);
    EXPECT_EQ(blank->groupcount, 1u);
    EXPECT_NE(blank->vertices, nullptr);
}

} // namespace
