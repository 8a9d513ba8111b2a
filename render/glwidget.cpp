#include "render/glwidget.h"

#include "net/logic.h"
#include "render/displaylist.h"
#include "render/light.h"
#include "render/shapes.h"

#include <GL/glu.h>
#include <QPixmap>

namespace {

// Camera and projection.
constexpr GLdouble eyeX = 2.5, eyeY = 6.0, eyeZ = 5.3;
constexpr GLdouble fieldOfViewDeg = 45.0;
constexpr GLdouble nearPlane = 0.1;
constexpr GLdouble farPlane = 100.0;

// The scene's one light and the front material; lighting stays off, so
// neither shows in the picture.
constexpr GLfloat lightAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr GLfloat lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat lightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLfloat lightPosition[3] = {-1.0f, 15.0f, 1.0f};
constexpr GLfloat materialShininess = 20.0f;
constexpr GLfloat materialSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat materialAmbient[4] = {1.0f, 1.0f, 0.0f, 1.0f};
constexpr GLfloat materialDiffuse[4] = {1.0f, 1.0f, 0.0f, 1.0f};

// The radar squares: centre of the disc in x-z, their heights (each a
// little above the one before, so each blends over the layers below) and
// sizes.
constexpr GLfloat discCentreZ = -0.5f;
constexpr GLfloat sweepHeight = 1.44f;
constexpr GLfloat discHeight = 1.45f;
constexpr GLfloat markerHeight = 1.451f;
constexpr GLfloat discScale = 5.0f;
constexpr GLfloat markerScale = 0.3f;
constexpr GLfloat quarterTurn = 90.0f; // about (-1, 0, 0): lays a square flat, facing up
constexpr GLfloat halfTurn = 180.0f;   // about +Z

// Target coordinates in [0, 1] span this many world units, centred on the
// disc; markers are placed relative to the disc centre.
constexpr GLfloat targetSpan = 3.0f;
constexpr GLfloat targetOffset = 1.5f;

constexpr int preferredSide = 400;
constexpr int minimumSide = 50;

} // namespace

GLWidget::GLWidget(Logic *logic) : QGLWidget(nullptr, nullptr, Qt::WindowFlags()), logic(logic) {}

GLWidget::~GLWidget()
{
    releaseScene();
}

QSize GLWidget::sizeHint() const
{
    return QSize(preferredSide, preferredSide);
}

QSize GLWidget::minimumSizeHint() const
{
    return QSize(minimumSide, minimumSide);
}

void GLWidget::releaseScene()
{
    if (!light && !discList && !sweepList && !markerList && !radarModel && !tableModel &&
        !displayModel)
        return;
    // The view may be destroyed while another context is current; the light
    // and lists live in this one.
    makeCurrent();
    delete light;
    light = nullptr;
    delete discList;
    discList = nullptr;
    delete sweepList;
    sweepList = nullptr;
    delete markerList;
    markerList = nullptr;
    freeModels();
}

GLuint GLWidget::loadTexture(const char *fileName)
{
    // A file that does not load gives an empty pixmap; set-up goes on with
    // whatever name bindTexture returns for it.
    return bindTexture(QPixmap(QString::fromLatin1(fileName)), GL_TEXTURE_2D, GL_RGBA);
}

void GLWidget::initializeGL()
{
    // Should the toolkit ever set up a new context for this view, the old
    // light and lists would otherwise leak and the light be GL_LIGHT1.
    releaseScene();

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);

    light = new PointLight(lightAmbient, lightDiffuse, lightSpecular, lightPosition);

    radarTexture = loadTexture("textures/radarr2t2.png");
    tableTexture = loadTexture("textures/radartischr2t.png");
    discTexture = loadTexture("textures/radarscheibe.png");
    sweepTexture = loadTexture("textures/radgreen.png");
    displayTexture = loadTexture("textures/radardisplay.png");
    markerTexture = loadTexture("textures/person.png");

    // No push or pop: the caller wraps each marker in its own.
    markerList = new DisplayList;
    markerList->beginCompile();
    glBindTexture(GL_TEXTURE_2D, markerTexture);
    glRotatef(quarterTurn, -1.0f, 0.0f, 0.0f);
    drawQuad();
    markerList->endCompile();

    discList = new DisplayList;
    discList->beginCompile();
    glPushMatrix();
    glTranslatef(0.0f, discHeight, discCentreZ);
    glRotatef(quarterTurn, -1.0f, 0.0f, 0.0f);
    glRotatef(halfTurn, 0.0f, 0.0f, 1.0f);
    glScalef(discScale, discScale, discScale);
    glBindTexture(GL_TEXTURE_2D, discTexture);
    drawQuad();
    glPopMatrix();
    discList->endCompile();

    sweepList = new DisplayList;
    sweepList->beginCompile();
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, sweepTexture);
    drawQuad();
    glPopMatrix();
    sweepList->endCompile();

    readModels();

    glMaterialfv(GL_FRONT, GL_SHININESS, &materialShininess);
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void GLWidget::resizeGL(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height is taken as 1 rather than dividing by zero.
    const double aspect = double(width) / double(height > 0 ? height : 1);
    gluPerspective(fieldOfViewDeg, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::paintGL()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eyeX, eyeY, eyeZ, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    light->enable();
    const int count = logic->targetCount();

    drawModels();

    glEnable(GL_BLEND);

    glPushMatrix();
    glTranslatef(0.0f, sweepHeight, discCentreZ);
    // About -Y: a growing angle turns the sweep clockwise seen from above.
    glRotatef(static_cast<GLfloat>(logic->sweepAngle()), 0.0f, -1.0f, 0.0f);
    glRotatef(quarterTurn, -1.0f, 0.0f, 0.0f);
    glRotatef(halfTurn, 0.0f, 0.0f, 1.0f);
    glScalef(discScale, discScale, discScale);
    sweepList->call();
    glPopMatrix();

    glPushMatrix();
    discList->call();
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0.0f, markerHeight, discCentreZ);
    for (int i = 0; i < count; ++i) {
        const Target *t = logic->target(i);
        glPushMatrix();
        glTranslatef(t->x * targetSpan - targetOffset, 0.0f, t->y * targetSpan - targetOffset);
        glScalef(markerScale, markerScale, markerScale);
        markerList->call();
        glPopMatrix();
    }
    glPopMatrix();

    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    light->disable();
}
