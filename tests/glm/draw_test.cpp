// SPDX-License-Identifier: MIT
// Drawing on a real GL context: what glmDraw sends is read back through GL
// feedback mode. Normals have no place in feedback, so a second capture
// routes them into the texture coordinates with a pass-through vertex shader.
#include "glmtestsupport.h"
#include "gltestcontext.h"

#include <QOpenGLShaderProgram>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace glmtest;

namespace {

const GLsizei feedbackCapacity = 1 << 16;
const int floatsPerVertex = 12; // GL_4D_COLOR_TEXTURE: xyzw, rgba, strq

struct Vertex
{
    GLfloat position[3]; // object coordinates (identity transforms)
    GLfloat color[4];
    GLfloat tex[3]; // texture coordinate, or the normal when captured so
};
using Triangle = std::array<Vertex, 3>;

std::vector<Triangle> parseFeedback(const std::vector<GLfloat> &buffer, GLint count)
{
    std::vector<Triangle> triangles;
    for (GLint i = 0; i < count;) {
        GLint token = GLint(buffer[i++]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        EXPECT_EQ(GL_POLYGON_TOKEN, token);
        if (token != GL_POLYGON_TOKEN)
            break;
        GLint corners = GLint(buffer[i++]);
        EXPECT_EQ(3, corners);
        Triangle t{};
        for (int k = 0; k < corners && k < 3; ++k) {
            const GLfloat *f = &buffer[i + k * floatsPerVertex];
            // The viewport is (0, 0, 2, 2) with depth range 0 to 1.
            t[k].position[0] = f[0] - 1.0f;
            t[k].position[1] = f[1] - 1.0f;
            t[k].position[2] = f[2] * 2.0f - 1.0f;
            for (int c = 0; c < 4; ++c)
                t[k].color[c] = f[4 + c];
            for (int c = 0; c < 3; ++c)
                t[k].tex[c] = f[8 + c];
        }
        i += corners * floatsPerVertex;
        triangles.push_back(t);
    }
    return triangles;
}

class Draw : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.isValid());
        ASSERT_TRUE(gl.makeCurrent());
        glViewport(0, 0, 2, 2);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glColor4f(0.5f, 0.25f, 0.125f, 1.0f);
        glTexCoord4f(0.0f, 0.0f, 0.0f, 1.0f);
        model = newModel();
    }

    void TearDown() override
    {
        program.reset();
        if (model)
            glmFreeModel(model);
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    }

    // Runs draw in feedback mode; with normals, the texture coordinates of
    // the result are the normals sent.
    std::vector<Triangle> capture(const std::function<void()> &draw, bool normals = false)
    {
        std::vector<GLfloat> buffer(feedbackCapacity);
        glFeedbackBuffer(feedbackCapacity, GL_4D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        if (normals)
            normalProgram().bind();
        draw();
        if (normals)
            normalProgram().release();
        GLint count = glRenderMode(GL_RENDER);
        EXPECT_GE(count, 0) << "feedback buffer overflow";
        return parseFeedback(buffer, count);
    }

    // glmDraw in feedback mode, with what it printed.
    std::vector<Triangle> drawModel(GLuint mode, std::string *printed = nullptr,
                                    bool normals = false)
    {
        testing::internal::CaptureStdout();
        std::vector<Triangle> result = capture([&] { glmDraw(model, mode); }, normals);
        std::string out = testing::internal::GetCapturedStdout();
        if (printed)
            *printed = out;
        return result;
    }

    // Four vertices, normals, uvs and facet normals, all distinct; two
    // groups "a" (created first) and "b", and triangles in "default".
    void buildModel()
    {
        setVertices(model,
                    {0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.5f, 0.5f, 0.25f});
        setNormals(model, {0, 0, 1, 0, 1, 0, 1, 0, 0, 0.5f, 0.5f, 0});
        setUVs(model, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f});
        setFacetNorms(model, {0, 0, -1, 0, -1, 0, -1, 0, 0});
        addTriangle(model, "default", {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, 1); // 0
        addTriangle(model, "a", {2, 4, 4}, {4, 3, 1}, {3, 2, 2}, 2);       // 1
        addTriangle(model, "b", {4, 1, 3}, {3, 2, 4}, {1, 3, 1}, 3);       // 2
        addTriangle(model, "a", {1, 2, 3}, {4, 4, 4}, {2, 1, 1}, 1);       // 3
        addTriangle(model, "default", {3, 3, 2}, {2, 4, 3}, {4, 1, 4}, 2); // 4
    }

    void addMaterials()
    {
        const GLfloat grey[3] = {0.2f, 0.2f, 0.2f}, black[3] = {0, 0, 0};
        const GLfloat red[3] = {1.0f, 0.0f, 0.0f}, green[3] = {0.0f, 1.0f, 0.0f};
        const GLfloat spec[3] = {0.3f, 0.6f, 0.9f};
        addMaterial(model, "default", grey, grey, black, 65.0f);
        addMaterial(model, "red", red, green, spec, 12.0f);
        addMaterial(model, "green", green, red, black, 100.0f);
        findGroup(model, "a")->material = 1;
        findGroup(model, "b")->material = 2;
        findGroup(model, "default")->material = 0;
    }

    // The triangle numbers in drawing order: "b", then "a", then "default".
    const std::vector<GLuint> drawOrder = {2, 1, 3, 0, 4};

    const GLfloat *vertexOf(GLuint triangle, int k)
    {
        return &model->vertices[3 * model->faces[triangle].vertexindex[k]];
    }

    void expectPositions(const std::vector<Triangle> &drawn)
    {
        ASSERT_EQ(drawOrder.size(), drawn.size());
        for (size_t i = 0; i < drawn.size(); ++i)
            for (int k = 0; k < 3; ++k)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(vertexOf(drawOrder[i], k)[c], drawn[i][k].position[c], 1e-5)
                        << "triangle " << i << " corner " << k;
    }

    // Positions and colours pass unchanged; the normal becomes texture
    // coordinate 0.
    QOpenGLShaderProgram &normalProgram()
    {
        if (!program) {
            program = std::make_unique<QOpenGLShaderProgram>();
            EXPECT_TRUE(program->addShaderFromSourceCode(
                QOpenGLShader::Vertex, "#version 110\n"
                                       "void main() {\n"
                                       "  gl_Position = gl_Vertex;\n"
                                       "  gl_FrontColor = gl_Color;\n"
                                       "  gl_TexCoord[0] = vec4(gl_Normal, 1.0);\n"
                                       "}\n"));
            EXPECT_TRUE(program->link()) << program->log().toStdString();
        }
        return *program;
    }

    GlTestContext gl;
    std::unique_ptr<QOpenGLShaderProgram> program;
    ObjModel *model = nullptr;
};

} // namespace

TEST_F(Draw, groupsNewestFirstTrianglesInListOrder)
{
    buildModel();
    addGroup(model, "empty"); // newest, no triangles: draws nothing
    std::string printed;
    std::vector<Triangle> drawn = drawModel(0, &printed);
    EXPECT_EQ("", printed);
    expectPositions(drawn);
    for (const Triangle &t : drawn)
        for (const Vertex &v : t)
            EXPECT_FLOAT_EQ(0.25f, v.color[1]) << "no colour is sent in mode 0";
}

TEST_F(Draw, smoothModeSendsOneNormalPerCorner)
{
    buildModel();
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_SMOOTH, nullptr, true);
    expectPositions(drawn);
    ASSERT_EQ(drawOrder.size(), drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const GLfloat *n = &model->normals[3 * model->faces[drawOrder[i]].normalindex[k]];
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(n[c], drawn[i][k].tex[c], 1e-5) << i << " " << k;
        }
}

TEST_F(Draw, flatModeSendsTheFacetNormalForAllCorners)
{
    buildModel();
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_FLAT, nullptr, true);
    ASSERT_EQ(drawOrder.size(), drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const GLfloat *n = &model->facetnorms[3 * model->faces[drawOrder[i]].facetindex];
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(n[c], drawn[i][k].tex[c], 1e-5) << i << " " << k;
        }
}

TEST_F(Draw, textureModeSendsOneCoordinatePerCorner)
{
    buildModel();
    // The scene's own mode: smooth normals and texture coordinates.
    std::string printed;
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_SMOOTH | GLM_DRAW_TEXTURE, &printed);
    EXPECT_EQ("", printed);
    expectPositions(drawn);
    ASSERT_EQ(drawOrder.size(), drawn.size());
    for (size_t i = 0; i < drawn.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const GLfloat *uv = &model->uvcoords[2 * model->faces[drawOrder[i]].uvindex[k]];
            EXPECT_NEAR(uv[0], drawn[i][k].tex[0], 1e-5) << i << " " << k;
            EXPECT_NEAR(uv[1], drawn[i][k].tex[1], 1e-5) << i << " " << k;
        }
}

TEST_F(Draw, colorModeSendsEachGroupsDiffuseColour)
{
    buildModel();
    addMaterials();
    glDisable(GL_COLOR_MATERIAL);
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_COLOR);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    ASSERT_EQ(drawOrder.size(), drawn.size());
    const GLfloat expected[5][3] = {
        {0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {0.2f, 0.2f, 0.2f}, {0.2f, 0.2f, 0.2f}};
    for (size_t i = 0; i < drawn.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(expected[i][c], drawn[i][0].color[c], 1e-3) << i;
}

TEST_F(Draw, materialModeSetsGroupMaterialsAndDisablesColorMaterial)
{
    buildModel();
    addMaterials();
    // "default" is drawn last, so its material is the one left in place;
    // move it to another material to see that it is set, and how.
    findGroup(model, "default")->material = 1;
    glEnable(GL_COLOR_MATERIAL);
    std::string printed;
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_MATERIAL, &printed);
    EXPECT_EQ("", printed);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    expectPositions(drawn);

    const ObjMaterial &m = model->materiallist[1];
    for (GLenum face : {GL_FRONT, GL_BACK}) {
        GLfloat value[4];
        glGetMaterialfv(face, GL_AMBIENT, value);
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m.ambient[c], value[c]);
        glGetMaterialfv(face, GL_DIFFUSE, value);
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m.diffuse[c], value[c]);
        glGetMaterialfv(face, GL_SPECULAR, value);
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(m.specular[c], value[c]);
        glGetMaterialfv(face, GL_SHININESS, value);
        EXPECT_FLOAT_EQ(12.0f, value[0]);
    }
}

TEST_F(Draw, colorMaterialLeftAloneWithoutColourOrMaterial)
{
    buildModel();
    addMaterials();
    for (bool enabled : {false, true}) {
        if (enabled)
            glEnable(GL_COLOR_MATERIAL);
        else
            glDisable(GL_COLOR_MATERIAL);
        drawModel(GLM_DRAW_SMOOTH);
        EXPECT_EQ(enabled, bool(glIsEnabled(GL_COLOR_MATERIAL)));
    }
}

TEST_F(Draw, flatAndSmoothWithBothNormalsDrawsSmooth)
{
    buildModel();
    std::string printed;
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_FLAT | GLM_DRAW_SMOOTH, &printed, true);
    EXPECT_EQ("glmDraw() warning: flat render mode requested and smooth render mode requested "
              "(using smooth).\n",
              printed);
    ASSERT_FALSE(drawn.empty());
    // The first triangle drawn is 2, whose corners use normals 3, 4, 1.
    EXPECT_NEAR(1.0f, drawn[0][0].tex[0], 1e-5);
    EXPECT_NEAR(0.5f, drawn[0][1].tex[1], 1e-5);
    EXPECT_NEAR(1.0f, drawn[0][2].tex[2], 1e-5);
}

TEST_F(Draw, flatAndSmoothWithoutNormalsDrawsFlat)
{
    buildModel();
    free(model->normals);
    model->normals = nullptr;
    std::string printed;
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_FLAT | GLM_DRAW_SMOOTH, &printed, true);
    EXPECT_EQ("glmDraw() warning: smooth render mode requested with no normals defined.\n",
              printed);
    ASSERT_FALSE(drawn.empty());
    for (int k = 0; k < 3; ++k) // triangle 2's facet normal 3 is (-1, 0, 0)
        EXPECT_NEAR(-1.0f, drawn[0][k].tex[0], 1e-5);
}

TEST_F(Draw, flatAndSmoothWithoutFacetNormalsDrawsSmooth)
{
    buildModel();
    free(model->facetnorms);
    model->facetnorms = nullptr;
    std::string printed;
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_FLAT | GLM_DRAW_SMOOTH, &printed, true);
    EXPECT_EQ("glmDraw() warning: flat render mode requested with no facet normals defined.\n",
              printed);
    ASSERT_FALSE(drawn.empty());
    EXPECT_NEAR(0.5f, drawn[0][1].tex[1], 1e-5);
    EXPECT_NEAR(1.0f, drawn[0][2].tex[2], 1e-5);
}

TEST_F(Draw, colorAndMaterialUsesOnlyMaterials)
{
    buildModel();
    addMaterials();
    glEnable(GL_COLOR_MATERIAL);
    std::string printed;
    std::vector<Triangle> drawn = drawModel(GLM_DRAW_COLOR | GLM_DRAW_MATERIAL, &printed);
    EXPECT_EQ("glmDraw() warning: color and material render mode requested using only material "
              "mode.\n",
              printed);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLfloat shininess;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(65.0f, shininess);
    for (const Triangle &t : drawn)
        EXPECT_FLOAT_EQ(0.25f, t[0].color[1]) << "no colours are sent";
}

TEST_F(Draw, missingDataClearsEachFlagWithItsMessage)
{
    setVertices(model, {0, 0, 0, 0.5f, 0, 0, 0, 0.5f, 0});
    addTriangle(model, "default", {1, 0, 0}, {2, 0, 0}, {3, 0, 0});

    for (bool enabled : {false, true}) {
        if (enabled)
            glEnable(GL_COLOR_MATERIAL);
        else
            glDisable(GL_COLOR_MATERIAL);
        GLfloat before[4];
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, before);
        std::string printed;
        std::vector<Triangle> drawn = drawModel(31, &printed);
        EXPECT_EQ("glmDraw() warning: flat render mode requested with no facet normals defined.\n"
                  "glmDraw() warning: smooth render mode requested with no normals defined.\n"
                  "glmDraw() warning: texture render mode requested with no texture coordinates "
                  "defined.\n"
                  "glmDraw() warning: color render mode requested with no materials defined.\n"
                  "glmDraw() warning: material render mode requested with no materials defined.\n",
                  printed);
        EXPECT_EQ(enabled, bool(glIsEnabled(GL_COLOR_MATERIAL)));
        ASSERT_EQ(1u, drawn.size());
        EXPECT_FLOAT_EQ(0.25f, drawn[0][0].color[1]);
        GLfloat after[4];
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, after);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(before[c], after[c]) << "no material is set";
    }
}

TEST_F(Draw, compiledListPrintsOnceAndReplaysTheSameTriangles)
{
    buildModel();
    free(model->facetnorms);
    model->facetnorms = nullptr;
    std::vector<Triangle> direct = drawModel(GLM_DRAW_SMOOTH | GLM_DRAW_TEXTURE);

    testing::internal::CaptureStdout();
    GLuint list = glmCompileList(model, GLM_DRAW_FLAT | GLM_DRAW_SMOOTH | GLM_DRAW_TEXTURE);
    std::string atCompile = testing::internal::GetCapturedStdout();
    EXPECT_EQ("glmDraw() warning: flat render mode requested with no facet normals defined.\n",
              atCompile);
    ASSERT_NE(0u, list);
    EXPECT_TRUE(glIsList(list));

    testing::internal::CaptureStdout();
    std::vector<Triangle> replayed = capture([&] { glCallList(list); });
    std::vector<Triangle> normals = capture([&] { glCallList(list); }, true);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());

    ASSERT_EQ(direct.size(), replayed.size());
    for (size_t i = 0; i < direct.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            for (int c = 0; c < 3; ++c)
                EXPECT_FLOAT_EQ(direct[i][k].position[c], replayed[i][k].position[c]);
            EXPECT_FLOAT_EQ(direct[i][k].tex[0], replayed[i][k].tex[0]);
            EXPECT_FLOAT_EQ(direct[i][k].tex[1], replayed[i][k].tex[1]);
        }
    ASSERT_FALSE(normals.empty());
    EXPECT_NEAR(1.0f, normals[0][0].tex[0], 1e-5); // smooth normal 3 of triangle 2
    glDeleteLists(list, 1);
}

TEST_F(Draw, outOfRangeIndicesSkipTheTriangle)
{
    buildModel();
    model->faces[1].vertexindex[1] = 99; // in "a"
    model->faces[2].normalindex[0] = 77; // in "b", matters only when smooth
    std::vector<Triangle> plain = drawModel(0);
    EXPECT_EQ(4u, plain.size());
    std::vector<Triangle> smooth = drawModel(GLM_DRAW_SMOOTH);
    EXPECT_EQ(3u, smooth.size());
}

TEST(DrawDeathTest, missingModelOrVerticesIsAnAssertion)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(glmDraw(nullptr, 0), "glm:[0-9]+: .*Assertion `model' failed");
    ObjModel *model = newModel();
    EXPECT_DEATH(glmDraw(model, 0), "glm:[0-9]+: .*Assertion `model->vertices' failed");
    glmFreeModel(model);
}

int main(int argc, char **argv)
{
    return runGlTests(argc, argv);
}
