// SPDX-License-Identifier: MIT
// The generator itself: its placement check, its OBJ writer against the
// client's reader, and its output under a decimal-comma locale.
#include "assets/rundirectory.h"
#include "assets/shapes.h"
#include "glm/glm.h"
#include "staged.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int generatorMs = 60000;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Generator, refusesAModelThatDoesNotFillItsPlacement)
{
    ModelAsset a = makeRadar();
    EXPECT_EQ(placementProblem(a), "");
    a.model.placement.offset.y += 0.01;
    EXPECT_NE(placementProblem(a), "");
    a = makeDisplay();
    a.model.placement.scale = 3.0;
    EXPECT_TRUE(placementProblem(a).contains("largest size"));
    EXPECT_EQ(placementProblem(makeTable()), "");
}

TEST(Generator, meshFilesReadBackWithGroupsMaterialsAndOutwardNormals)
{
    Mesh mesh(QSize(64, 64));
    mesh.beginGroup("lid", "red");
    addBox(mesh, {-1, 0.5, -1}, {1, 1, 1}, {QRect(0, 0, 32, 32), {}, {}, {}, {}, {}});
    mesh.beginGroup("body", "blue");
    addBox(mesh, {-1, 0.5, -1}, {1, 1, 1},
           {{},
            QRect(32, 0, 32, 32),
            QRect(0, 32, 32, 32),
            QRect(32, 32, 32, 32),
            QRect(0, 32, 32, 32),
            QRect(32, 32, 32, 32)});
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile obj(dir.filePath("box.obj")), mtl(dir.filePath("box.mtl"));
    ASSERT_TRUE(obj.open(QIODevice::WriteOnly));
    obj.write(mesh.objText("box", "box.mtl", {0, 0.75, 0}, 2.0));
    obj.close();
    ASSERT_TRUE(mtl.open(QIODevice::WriteOnly));
    mtl.write(mtlText("box", {{"red", Qt::red, 10}, {"blue", Qt::blue, 500}}));
    mtl.close();

    testing::internal::CaptureStdout();
    ObjModel *m = glmReadOBJ(dir.filePath("box.obj").toLocal8Bit().data());
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(m->vertexcount, 8u);
    EXPECT_EQ(m->facecount, 12u);
    EXPECT_EQ(m->normalcount, 6u);
    EXPECT_EQ(m->materialcount, 3u);
    ObjGroup *lid = glmLookupGroup(m, " lid");
    ASSERT_NE(lid, nullptr);
    EXPECT_EQ(lid->facecount, 2u);
    EXPECT_STREQ(m->materiallist[lid->material].name, "red");
    EXPECT_FLOAT_EQ(m->materiallist[lid->material].diffuse[0], 1.0f);
    // Stored as (p - offset) / scale: the box spans [-0.5, 0.5] x [-0.125, 0.125].
    GLfloat size[3];
    glmExtent(m, size);
    EXPECT_FLOAT_EQ(size[0], 1.0f);
    EXPECT_FLOAT_EQ(size[1], 0.25f);
    // Every normal points away from the centre, and every face winds
    // counter-clockwise seen from outside, as the view's back-face culling
    // needs: the normal its winding gives agrees with the written one. The
    // lid's texture coordinates lie in its region, v growing upwards.
    glmFaceNormals(m);
    for (GLuint t = 0; t < m->facecount; ++t) {
        const GLfloat *n = &m->normals[3 * m->faces[t].normalindex[0]];
        const GLfloat *v = &m->vertices[3 * m->faces[t].vertexindex[0]];
        const GLfloat *wound = &m->facetnorms[3 * m->faces[t].facetindex];
        EXPECT_GT(n[0] * v[0] + n[1] * v[1] + n[2] * v[2], 0.0f) << "triangle " << t;
        EXPECT_GT(n[0] * wound[0] + n[1] * wound[1] + n[2] * wound[2], 0.0f) << "triangle " << t;
    }
    for (GLuint i = 0; i < lid->facecount; ++i)
        for (GLuint uv : m->faces[lid->faceindices[i]].uvindex) {
            EXPECT_LT(m->uvcoords[2 * uv], 0.5f);
            EXPECT_GT(m->uvcoords[2 * uv + 1], 0.5f);
        }
    glmFreeModel(m);
}

// Runs the generator once, under a decimal-comma locale, into a fresh
// directory.
class FreshRun : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        QProcess generator;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LANG", "de_DE.UTF-8");
        env.insert("LC_ALL", "de_DE.UTF-8");
        generator.setProcessEnvironment(env);
        generator.start(RADARASSETS_PATH, {dir->path()});
        finished = generator.waitForFinished(generatorMs) && generator.exitCode() == 0;
        errors = generator.readAllStandardError();
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(finished) << errors.constData(); }

    static QTemporaryDir *dir;
    static bool finished;
    static QByteArray errors;
};
QTemporaryDir *FreshRun::dir = nullptr;
bool FreshRun::finished = false;
QByteArray FreshRun::errors;

TEST_F(FreshRun, writesTheStagedBytesUnderADecimalCommaLocale)
{
    for (const QString &file : stagedFiles()) {
        const QByteArray made = readAll(dir->filePath(file));
        EXPECT_FALSE(made.isEmpty()) << qPrintable(file);
        EXPECT_EQ(made, readAll(stagedPath(file))) << qPrintable(file);
        if (file.endsWith(".obj") || file.endsWith(".mtl")) {
            for (const QByteArray &line : made.split('\n'))
                EXPECT_TRUE(line.startsWith('#') || !line.contains(',')) << line.constData();
        }
    }
}

// The staged copy may have been edited since (scripts/demo writes its port
// there), so the generator's own output is checked.
TEST_F(FreshRun, defaultSettingsPointAtALocalSimulator)
{
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(readAll(dir->filePath("clientSettings.xml"))));
    const QDomElement root = doc.documentElement();
    EXPECT_EQ(root.firstChildElement("host").text(), "localhost");
    EXPECT_EQ(root.firstChildElement("port").text(), "3333");
    EXPECT_EQ(root.firstChildElement("timeToLive").text(), "0");
}

TEST(Generator, withoutARunDirectoryItExplainsAndFails)
{
    QProcess generator;
    generator.start(RADARASSETS_PATH, QStringList());
    ASSERT_TRUE(generator.waitForFinished(generatorMs));
    EXPECT_EQ(generator.exitCode(), 2);
    EXPECT_TRUE(generator.readAllStandardError().contains("usage"));
}

} // namespace
