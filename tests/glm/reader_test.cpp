// SPDX-License-Identifier: MIT
// Reading OBJ files and their MTL libraries from a temporary directory.
#include "exporterfiles.h"
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using glmtest::ModelPtr;
using glmtest::readModel;
using glmtest::TempDir;
using glmtest::vertexLines;

using Triple = std::array<GLuint, 3>;

Triple vertexTriple(const ObjTriangle &t)
{
    return {t.vertexindex[0], t.vertexindex[1], t.vertexindex[2]};
}
Triple normalTriple(const ObjTriangle &t)
{
    return {t.normalindex[0], t.normalindex[1], t.normalindex[2]};
}
Triple uvTriple(const ObjTriangle &t)
{
    return {t.uvindex[0], t.uvindex[1], t.uvindex[2]};
}

std::vector<GLuint> faceIndices(const ObjGroup *group)
{
    return std::vector<GLuint>(group->faceindices, group->faceindices + group->facecount);
}

std::vector<std::string> groupNames(const ObjModel *model)
{
    std::vector<std::string> names;
    for (const ObjGroup *g = model->grouplist; g; g = g->next)
        names.push_back(g->name);
    return names;
}

std::array<GLfloat, 3> point(const GLfloat *array, GLuint index)
{
    return {array[3 * index], array[3 * index + 1], array[3 * index + 2]};
}

std::string numbers(const GLfloat *values, GLuint count)
{
    std::string text;
    char number[32];
    for (GLuint i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, " %.9g", values[i]);
        text += number;
    }
    return text;
}

template <class Index> std::string indices(const Index *values, GLuint count)
{
    std::string text;
    for (GLuint i = 0; i < count; ++i)
        text += " " + std::to_string(values[i]);
    return text;
}

// All that a read gives, as text: two reads compare in one check that
// shows where they differ.
std::string describe(const ObjModel *m)
{
    std::string text = "library " + std::string(m->materiallib ? m->materiallib : "(none)") + "\n";
    text += "vertices" + numbers(m->vertices, 3 * (m->vertexcount + 1)) + "\n";
    text += "normals" + (m->normals ? numbers(m->normals, 3 * (m->normalcount + 1)) : "") + "\n";
    text += "uvs" + (m->uvcoords ? numbers(m->uvcoords, 2 * (m->uvcount + 1)) : "") + "\n";
    for (GLuint i = 0; i < m->facecount; ++i) {
        const ObjTriangle &t = m->faces[i];
        text += "triangle" + indices(t.vertexindex, 3) + " /" + indices(t.uvindex, 3) + " /" +
                indices(t.normalindex, 3) + "\n";
    }
    for (const ObjGroup *g = m->grouplist; g; g = g->next)
        text += "group \"" + std::string(g->name) + "\" material " + std::to_string(g->material) +
                " triangles" + indices(g->faceindices, g->facecount) + "\n";
    for (GLuint i = 0; i < m->materialcount; ++i) {
        const ObjMaterial &material = m->materiallist[i];
        text += "material \"" + std::string(material.name) + "\"" + numbers(material.ambient, 4) +
                numbers(material.diffuse, 4) + numbers(material.specular, 4) +
                numbers(&material.shininess, 1) + "\n";
    }
    return text;
}

TEST(ReaderFile, vertexOnlyFileHasNoNormalsOrTextureCoordinates)
{
    TempDir dir;
    ModelPtr model =
        readModel(dir.write("tri.obj", "# a triangle\nv 0 0 0\nv 1.5 0 0\nv 0 -2 0.25\n"
                                       "s off\no thing\nf 1 2 3\n"));
    EXPECT_EQ(model->vertexcount, 3u);
    EXPECT_EQ(model->normalcount, 0u);
    EXPECT_EQ(model->normals, nullptr);
    EXPECT_EQ(model->uvcount, 0u);
    EXPECT_EQ(model->uvcoords, nullptr);
    EXPECT_EQ(model->facetnormcount, 0u);
    EXPECT_EQ(model->facetnorms, nullptr);
    EXPECT_EQ(model->materialcount, 0u);
    EXPECT_EQ(model->materiallist, nullptr);
    EXPECT_EQ(point(model->vertices, 2), (std::array<GLfloat, 3>{1.5f, 0.0f, 0.0f}));
    EXPECT_EQ(point(model->vertices, 3), (std::array<GLfloat, 3>{0.0f, -2.0f, 0.25f}));
    ASSERT_EQ(model->facecount, 1u);
    EXPECT_EQ(vertexTriple(model->faces[0]), (Triple{1, 2, 3}));
    EXPECT_EQ(normalTriple(model->faces[0]), (Triple{0, 0, 0}));
    EXPECT_EQ(uvTriple(model->faces[0]), (Triple{0, 0, 0}));
}

TEST(ReaderFaces, fiveCornerFaceFansAroundFirstCorner)
{
    TempDir dir;
    ModelPtr model = readModel(dir.write("fan.obj", vertexLines(6) + "f 6 1 2\nf 1 2 3 4 5\n"));
    ASSERT_EQ(model->facecount, 4u);
    EXPECT_EQ(vertexTriple(model->faces[1]), (Triple{1, 2, 3}));
    EXPECT_EQ(vertexTriple(model->faces[2]), (Triple{1, 3, 4}));
    EXPECT_EQ(vertexTriple(model->faces[3]), (Triple{1, 4, 5}));
    const ObjGroup *group = model->grouplist;
    EXPECT_EQ(faceIndices(group), (std::vector<GLuint>{0, 1, 2, 3}));
}

TEST(ReaderFaces, eachFormStoresItsIndexTriples)
{
    TempDir dir;
    std::string text = vertexLines(4);
    for (int i = 1; i <= 9; ++i)
        text += "vt 0." + std::to_string(i) + " 0.5\nvn 0 0 " + std::to_string(i) + "\n";
    text += "f 1/4/7 2/5/8 3/6/9\n"   // vertex/texture/normal
            "f 1//7 2//8 3//9 4//6\n" // vertex//normal, two triangles
            "f 3/1 2/2 1/3\n"         // vertex/texture
            "f 4 3 2\n";              // vertex
    ModelPtr model = readModel(dir.write("forms.obj", text));
    ASSERT_EQ(model->facecount, 5u);
    const ObjTriangle *t = model->faces;
    EXPECT_EQ(vertexTriple(t[0]), (Triple{1, 2, 3}));
    EXPECT_EQ(uvTriple(t[0]), (Triple{4, 5, 6}));
    EXPECT_EQ(normalTriple(t[0]), (Triple{7, 8, 9}));

    EXPECT_EQ(vertexTriple(t[1]), (Triple{1, 2, 3}));
    EXPECT_EQ(normalTriple(t[1]), (Triple{7, 8, 9}));
    EXPECT_EQ(uvTriple(t[1]), (Triple{0, 0, 0}));
    EXPECT_EQ(vertexTriple(t[2]), (Triple{1, 3, 4}));
    EXPECT_EQ(normalTriple(t[2]), (Triple{7, 9, 6}));

    EXPECT_EQ(vertexTriple(t[3]), (Triple{3, 2, 1}));
    EXPECT_EQ(uvTriple(t[3]), (Triple{1, 2, 3}));
    EXPECT_EQ(normalTriple(t[3]), (Triple{0, 0, 0}));

    EXPECT_EQ(vertexTriple(t[4]), (Triple{4, 3, 2}));
    EXPECT_EQ(uvTriple(t[4]), (Triple{0, 0, 0}));
    EXPECT_EQ(normalTriple(t[4]), (Triple{0, 0, 0}));
    for (GLuint i = 0; i < model->facecount; ++i)
        EXPECT_EQ(t[i].facetindex, 0u);

    EXPECT_EQ(model->uvcoords[2 * 4], 0.4f);
    EXPECT_EQ(point(model->normals, 9), (std::array<GLfloat, 3>{0.0f, 0.0f, 9.0f}));
}

// Corners after the first are read as numbers wherever they stand, across
// line ends too, until something that is no number.
TEST(ReaderFaces, cornersEndAtFirstNonNumber)
{
    TempDir dir;
    ModelPtr model = readModel(dir.write(
        "spread.obj",
        vertexLines(5) + "f 1 2\n3 4\ng next\nf 1 2 3 4/9\n" +
            "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n4/1/1 \\\n 5/1/1\nf 1/1/1 2/1/1 3/1/1\n"));
    ASSERT_EQ(model->facecount, 8u);
    EXPECT_EQ(vertexTriple(model->faces[1]), (Triple{1, 3, 4}));
    // "4/9": the vertex form reads "4" and stops at the slash, whose rest
    // is then skipped as an unknown statement.
    EXPECT_EQ(vertexTriple(model->faces[3]), (Triple{1, 3, 4}));
    EXPECT_EQ(vertexTriple(model->faces[6]), (Triple{1, 4, 5}));
    EXPECT_EQ(vertexTriple(model->faces[7]), (Triple{1, 2, 3}));
    EXPECT_EQ(model->groupcount, 2u);
}

// The first corner is a whole token: what follows its pattern in the token
// is dropped with it, while later corners stop where their pattern ends.
TEST(ReaderFaces, firstCornerTokenIsReadWhole)
{
    TempDir dir;
    ModelPtr model = readModel(dir.write(
        "token.obj",
        vertexLines(3) + "vt 0 0\nvn 0 0 1\nf 1/1/1x 2/1/1 3/1/1\nf 3/1/+1 2/1/1 1/1/1\n"));
    ASSERT_EQ(model->facecount, 2u);
    EXPECT_EQ(vertexTriple(model->faces[0]), (Triple{1, 2, 3}));
    EXPECT_EQ(normalTriple(model->faces[0]), (Triple{1, 1, 1}));
    EXPECT_EQ(vertexTriple(model->faces[1]), (Triple{3, 2, 1}));
}

TEST(ReaderFaces, negativeIndicesCountBackFromElementsReadSoFar)
{
    TempDir dir;
    ModelPtr model = readModel(
        dir.write("relative.obj", vertexLines(3) +
                                      "vt 0 0\nvt 1 0\nvn 0 0 1\nf -3/-2/-1 -2/-1/-1 -1/-1/-1\n" +
                                      "v 9 9 9\nvt 0 1\nvn 1 0 0\nf -1/-1/-1 1/1/1 -2/-2/-2\n"));
    ASSERT_EQ(model->facecount, 2u);
    EXPECT_EQ(vertexTriple(model->faces[0]), (Triple{1, 2, 3}));
    EXPECT_EQ(uvTriple(model->faces[0]), (Triple{1, 2, 2}));
    EXPECT_EQ(normalTriple(model->faces[0]), (Triple{1, 1, 1}));
    EXPECT_EQ(vertexTriple(model->faces[1]), (Triple{4, 1, 3}));
    EXPECT_EQ(uvTriple(model->faces[1]), (Triple{3, 1, 2}));
    EXPECT_EQ(normalTriple(model->faces[1]), (Triple{2, 1, 1}));
}

TEST(ReaderGroups, groupsRunNewestFirstAndRepeatedNameCollects)
{
    TempDir dir;
    ModelPtr model = readModel(dir.write(
        "groups.obj", vertexLines(3) + "f 1 2 3\ng A\nf 1 2 3\ng B\nf 1 2 3\nf 3 2 1\ng A\n"
                                       "f 2 3 1\ng empty\ng default\nf 1 3 2\n"));
    EXPECT_EQ(groupNames(model.get()),
              (std::vector<std::string>{" default", " empty", " B", " A", "default"}));
    EXPECT_EQ(model->groupcount, 5u);
    const ObjGroup *g = model->grouplist;
    EXPECT_EQ(faceIndices(g), (std::vector<GLuint>{5}));                      // " default"
    EXPECT_EQ(g->next->facecount, 0u);                                        // " empty"
    EXPECT_EQ(faceIndices(g->next->next), (std::vector<GLuint>{2, 3}));       // " B"
    EXPECT_EQ(faceIndices(g->next->next->next), (std::vector<GLuint>{1, 4})); // " A"
    EXPECT_EQ(faceIndices(g->next->next->next->next), (std::vector<GLuint>{0}));
}

TEST(ReaderGroups, groupNameIsRestOfLineWithoutLineEnd)
{
    TempDir dir;
    ModelPtr model = readModel(dir.write("names.obj", "g two  words \ng\ngroup\tx\r\n"));
    EXPECT_EQ(groupNames(model.get()),
              (std::vector<std::string>{"\tx", "", " two  words ", "default"}));
}

// One group and one material per face, as exporters write one per part.
// Were each name searched for among all before it, this file would take
// minutes (a timeout); found at once, it reads in a fraction of a second.
TEST(ReaderGroups, groupAndMaterialPerFaceForManyFaces)
{
    constexpr int parts = 250000;
    TempDir dir;
    std::string library;
    std::string text = "mtllib many.mtl\n" + vertexLines(3);
    for (int i = 0; i < parts; ++i) {
        const std::string number = std::to_string(i);
        library += "newmtl m" + number + "\n";
        text += "g p" + number + "\nusemtl m" + number + "\nf 1 2 3\n";
    }
    dir.write("many.mtl", library);
    ModelPtr model = readModel(dir.write("many.obj", text));
    ASSERT_EQ(model->groupcount, GLuint(parts + 1));
    ASSERT_EQ(model->materialcount, GLuint(parts + 1));
    const ObjGroup *group = model->grouplist;
    for (int i = parts - 1; i >= 0; --i, group = group->next) {
        ASSERT_EQ(group->name, " p" + std::to_string(i));
        ASSERT_EQ(faceIndices(group), (std::vector<GLuint>{GLuint(i)}));
        ASSERT_EQ(group->material, GLuint(i + 1));
    }
    EXPECT_STREQ(group->name, "default");
    EXPECT_EQ(group->facecount, 0u);
}

TEST(ReaderMaterials, libraryGivesDefaultFirstThenItsMaterials)
{
    TempDir dir;
    dir.write("sub/lib.mtl", "# colours\nKd 0.1 0.2 0.3\n"
                             "newmtl red\nKa 0.5 0 0\nKd 1 0 0\nKs 0.25 0.5 0.75\nNs 1000\n"
                             "illum 2\nd 0.5\nKe 9 9 9\n"
                             "newmtl dull\nNs 0\n"
                             "newmtl dense\nNs 500\nNi 250\n");
    ModelPtr model = readModel(dir.write("sub/model.obj", "mtllib lib.mtl\n"));
    EXPECT_STREQ(model->materiallib, "lib.mtl");
    ASSERT_EQ(model->materialcount, 4u);
    const ObjMaterial *m = model->materiallist;
    EXPECT_STREQ(m[0].name, "default");
    // Statements before the first "newmtl" go to "default".
    EXPECT_EQ(m[0].diffuse[0], 0.1f);
    EXPECT_EQ(m[0].diffuse[2], 0.3f);
    EXPECT_EQ(m[0].diffuse[3], 1.0f);
    EXPECT_EQ(m[0].ambient[0], 0.2f);
    EXPECT_EQ(m[0].shininess, 65.0f);

    EXPECT_STREQ(m[1].name, "red");
    EXPECT_EQ(std::vector<GLfloat>(m[1].ambient, m[1].ambient + 4),
              (std::vector<GLfloat>{0.5f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(std::vector<GLfloat>(m[1].diffuse, m[1].diffuse + 4),
              (std::vector<GLfloat>{1.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(std::vector<GLfloat>(m[1].specular, m[1].specular + 4),
              (std::vector<GLfloat>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_EQ(m[1].shininess, 128.0f);

    EXPECT_STREQ(m[2].name, "dull");
    EXPECT_EQ(m[2].shininess, 0.0f);
    EXPECT_EQ(std::vector<GLfloat>(m[2].diffuse, m[2].diffuse + 4),
              (std::vector<GLfloat>{0.8f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(std::vector<GLfloat>(m[2].specular, m[2].specular + 4),
              (std::vector<GLfloat>{0.0f, 0.0f, 0.0f, 1.0f}));

    // "Ni", the index of refraction written after "Ns", leaves the shininess.
    EXPECT_STREQ(m[3].name, "dense");
    EXPECT_EQ(m[3].shininess, 500.0f / 1000.0f * 128.0f);
}

TEST(ReaderMaterials, twoMaterialsGiveCountThree)
{
    TempDir dir;
    dir.write("two.mtl", "newmtl a\nnewmtl b\n");
    ModelPtr model = readModel(dir.write("two.obj", "mtllib two.mtl\n"));
    EXPECT_EQ(model->materialcount, 3u);
}

TEST(ReaderMaterials, usemtlSetsCurrentGroupAndGroupTakesCurrentMaterial)
{
    TempDir dir;
    dir.write("c.mtl", "newmtl red\nnewmtl blue\n");
    ModelPtr model = readModel(
        dir.write("c.obj", vertexLines(3) + "mtllib c.mtl\nusemtl blue\nf 1 2 3\ng A\nf 1 2 3\n"
                                            "usemtl red\ng B\nf 1 2 3\ng A\nf 1 2 3\n"));
    EXPECT_EQ(glmLookupGroup(model.get(), "default")->material, 2u);
    // " A" got blue from the current material, then red when named again.
    EXPECT_EQ(glmLookupGroup(model.get(), " A")->material, 1u);
    EXPECT_EQ(glmLookupGroup(model.get(), " B")->material, 1u);
}

TEST(ReaderMaterials, unknownMaterialPrintsAndUsesDefault)
{
    TempDir dir;
    dir.write("c.mtl", "newmtl red\n");
    const std::string path = dir.write("c.obj", "mtllib c.mtl\ng A\nusemtl red\nusemtl green\n");
    testing::internal::CaptureStdout();
    ModelPtr model = readModel(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "glmFindMaterial():  can't find material \"green\".\n");
    EXPECT_EQ(glmLookupGroup(model.get(), " A")->material, 0u);
}

TEST(ReaderMaterials, libraryIsFoundBesideRelativeModelPath)
{
    TempDir dir;
    dir.write("mdl/radar.mtl", "newmtl steel\n");
    dir.write("radar.mtl", "newmtl wrong\nnewmtl place\n");
    dir.write("mdl/radar.obj", "mtllib radar.mtl\n");
    char *previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ModelPtr model = readModel("mdl/radar.obj");
    ASSERT_EQ(chdir(previous), 0);
    std::free(previous);
    EXPECT_STREQ(model->path, "mdl/radar.obj");
    ASSERT_EQ(model->materialcount, 2u);
    EXPECT_STREQ(model->materiallist[1].name, "steel");
}

TEST(ReaderMaterials, secondLibraryReplacesFirst)
{
    TempDir dir;
    dir.write("one.mtl", "newmtl a\nnewmtl b\n");
    dir.write("two.mtl", "newmtl c\n");
    ModelPtr model =
        readModel(dir.write("m.obj", "mtllib one.mtl\nmtllib two.mtl\ng G\nusemtl c\n"));
    EXPECT_STREQ(model->materiallib, "two.mtl");
    ASSERT_EQ(model->materialcount, 2u);
    EXPECT_STREQ(model->materiallist[1].name, "c");
    EXPECT_EQ(glmLookupGroup(model.get(), " G")->material, 1u);
}

// Keywords of neither format are told apart by their first letter (and
// second for "v" and "K"), so those that share it with a modelled
// statement are read as that statement.
TEST(ReaderTokens, unknownKeywordsAreRecognisedByLeadingLetters)
{
    TempDir dir;
    dir.write("lib.mtl", "newmaterial shiny\nKdiffuse 0.5 0.5 0.5\nKx 9 9 9\n");
    ModelPtr model = readModel(
        dir.write("k.obj", "mtl_library lib.mtl\nvnormal 0 1 0\nvtex 0.5 0.25\nv 1 1 1\nv 2 2 2\n"
                           "v 3 3 3\ngroup_keyword G\nuse shiny\nface 1 2 3\nsmooth 1 2 3\n"));
    EXPECT_STREQ(model->materiallib, "lib.mtl");
    ASSERT_EQ(model->materialcount, 2u);
    EXPECT_STREQ(model->materiallist[1].name, "shiny");
    EXPECT_EQ(model->materiallist[1].diffuse[0], 0.5f);
    EXPECT_EQ(model->materiallist[1].ambient[0], 0.2f);
    EXPECT_EQ(model->normalcount, 1u);
    EXPECT_EQ(model->normals[3 + 1], 1.0f);
    EXPECT_EQ(model->uvcount, 1u);
    EXPECT_EQ(model->uvcoords[3], 0.25f);
    const ObjGroup *group = glmLookupGroup(model.get(), " G");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->material, 1u);
    EXPECT_EQ(faceIndices(group), (std::vector<GLuint>{0}));
    EXPECT_EQ(model->facecount, 1u);
}

// What exporters write beyond the statements the library models reads as
// if it were not there, and a line continued with a backslash as if joined.
TEST(ReaderTokens, exporterFilesReadAsTheirPlainStatements)
{
    for (const glmtest::ExporterFile &file : glmtest::exporterFiles()) {
        SCOPED_TRACE(file.name);
        TempDir dir;
        dir.write(glmtest::exporterLibraryName, file.mtl);
        dir.write("plain/" + std::string(glmtest::exporterLibraryName), file.plainMtl);
        ModelPtr model = readModel(dir.write("model.obj", file.obj));
        ModelPtr plain = readModel(dir.write("plain/model.obj", file.plainObj));
        EXPECT_EQ(describe(model.get()), describe(plain.get()));
        // The plain model is read whole, so that the comparison means something.
        EXPECT_EQ(model->facecount, 9u);
        EXPECT_EQ(model->groupcount, 4u);
        EXPECT_EQ(model->materialcount, 3u);
        if (model->materialcount != 3u)
            continue;
        EXPECT_EQ(glmLookupGroup(model.get(), " side")->material, 2u);
        EXPECT_EQ(model->materiallist[1].shininess, 250.0f / 1000.0f * 128.0f);
        EXPECT_EQ(model->materiallist[1].diffuse[0], 0.8f);
    }
}

TEST(ReaderTokens, longTokensAndLinesAreCutAt127)
{
    TempDir dir;
    // The comment's skip reads 127 bytes; the rest of the line is read on.
    const std::string reached = "#" + std::string(127, ' ') + "v 7 8 9\n";
    const std::string swallowed = "#" + std::string(126, ' ') + "v 7 8 9\n";
    ModelPtr a = readModel(dir.write("reached.obj", reached));
    ASSERT_EQ(a->vertexcount, 1u);
    EXPECT_EQ(point(a->vertices, 1), (std::array<GLfloat, 3>{7.0f, 8.0f, 9.0f}));
    ModelPtr b = readModel(dir.write("swallowed.obj", swallowed));
    EXPECT_EQ(b->vertexcount, 0u);

    // A group name takes at most 127 bytes of its line; the rest is read
    // as tokens (here an unknown statement, skipped).
    const std::string longName(300, 'n');
    ModelPtr c = readModel(dir.write("longgroup.obj", "g " + longName + "\n"));
    ASSERT_EQ(c->groupcount, 2u);
    EXPECT_EQ(std::string(c->grouplist->name), " " + longName.substr(0, 126));

    // A 300-byte token is read as 127-byte pieces: "f" plus pieces of digits
    // would be absurd indices, so use a skipped keyword instead.
    ModelPtr d =
        readModel(dir.write("longtoken.obj", "s" + std::string(300, 'x') + " v 1 2 3\nv 4 5 6\n"));
    EXPECT_EQ(d->vertexcount, 1u);
    EXPECT_EQ(point(d->vertices, 1), (std::array<GLfloat, 3>{4.0f, 5.0f, 6.0f}));
}

TEST(ReaderTokens, carriageReturnsAreNotPartOfNames)
{
    TempDir dir;
    dir.write("crlf.mtl", "newmtl red\r\nKd 1 0 0\r\n");
    ModelPtr model =
        readModel(dir.write("crlf.obj", "mtllib crlf.mtl\r\nv 0 0 0\r\nv 1 0 0\r\nv 0 1.5 0\r\n"
                                        "g part\r\nusemtl red\r\nf 1 2 3\r\n"));
    EXPECT_STREQ(model->materiallib, "crlf.mtl");
    ASSERT_EQ(model->materialcount, 2u);
    EXPECT_STREQ(model->materiallist[1].name, "red");
    const ObjGroup *part = glmLookupGroup(model.get(), " part");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->material, 1u);
    EXPECT_EQ(part->facecount, 1u);
    EXPECT_EQ(model->vertices[3 * 3 + 1], 1.5f);
}

TEST(ReaderNumbers, floatsFollowFormattedInputRules)
{
    TempDir dir;
    ModelPtr model = readModel(
        dir.write("nums.obj", "v -1.5e2 +.25 3.\nv 1E-3 -0 0.1\nv 1e 2 3\nv 0x10 inf 7 trailing\n"
                              "v 1 x 3\nv 0.30000001192092896 16777217 1e-50\n"));
    ASSERT_EQ(model->vertexcount, 6u);
    EXPECT_EQ(point(model->vertices, 1), (std::array<GLfloat, 3>{-150.0f, 0.25f, 3.0f}));
    EXPECT_EQ(point(model->vertices, 2), (std::array<GLfloat, 3>{0.001f, -0.0f, 0.1f}));
    EXPECT_TRUE(std::signbit(model->vertices[3 * 2 + 1]));
    // "1e" reads as 1; the exponent letter is consumed.
    EXPECT_EQ(point(model->vertices, 3), (std::array<GLfloat, 3>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(model->vertices[3 * 4], 16.0f);
    EXPECT_TRUE(std::isinf(model->vertices[3 * 4 + 1]));
    // A value that does not convert leaves 0 and the rest of the line.
    EXPECT_EQ(point(model->vertices, 5), (std::array<GLfloat, 3>{1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(point(model->vertices, 6), (std::array<GLfloat, 3>{0.3f, 16777216.0f, 0.0f}));
}

TEST(ReaderNumbers, decimalPointIsADotUnderDecimalCommaLocale)
{
    TempDir dir;
    const std::string path = dir.write("de.obj", "v 1.5 -2.25 0.125\nvt 0.75 1e-1\n");
    dir.write("de.mtl", "newmtl m\nKd 0.5 0.25 0.125\nNs 62.5\n");
    const std::string withLibrary = dir.write("lib.obj", "mtllib de.mtl\n");
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing (scripts/test generates it)";
    // The C library itself now reads "1.5" as 1.
    EXPECT_EQ(std::strtof("1.5", nullptr), 1.0f);
    ModelPtr model = readModel(path);
    ModelPtr library = readModel(withLibrary);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(point(model->vertices, 1), (std::array<GLfloat, 3>{1.5f, -2.25f, 0.125f}));
    EXPECT_EQ(model->uvcoords[2], 0.75f);
    EXPECT_EQ(model->uvcoords[3], 0.1f);
    EXPECT_EQ(library->materiallist[1].diffuse[1], 0.25f);
    EXPECT_EQ(library->materiallist[1].shininess, 62.5f / 1000.0f * 128.0f);
}

} // namespace
