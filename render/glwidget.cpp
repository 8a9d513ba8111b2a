// SPDX-License-Identifier: MIT
#include "render/glwidget.h"

#include "net/logic.h"
#include "render/consolefigures.h"
#include "render/displaylist.h"
#include "render/light.h"
#include "render/liveconsole.h"
#include "render/scenelayout.h"
#include "render/scenemodels.h"
#include "render/sceneresources.h"

#include <GL/glu.h>
#include <QTimer>

namespace {

// The front material; lighting stays off, so it does not show in the
// picture.
constexpr GLfloat materialShininess = 20.0f;
constexpr GLfloat materialSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat materialAmbient[4] = {1.0f, 1.0f, 0.0f, 1.0f};
constexpr GLfloat materialDiffuse[4] = {1.0f, 1.0f, 0.0f, 1.0f};

// The sweep and the markers are placed about the disc centre; markers from
// single-precision target coordinates.
constexpr GLfloat discCentreX = GLfloat(layout::discCentreX);
constexpr GLfloat discCentreZ = GLfloat(layout::discCentreZ);
constexpr GLfloat sweepHeight = GLfloat(layout::sweepHeight);
constexpr GLfloat markerHeight = GLfloat(layout::markerHeight);
constexpr GLfloat targetSpan = GLfloat(layout::targetSpan);
constexpr GLfloat targetOffset = GLfloat(layout::targetSpan / 2);
constexpr GLfloat markerScale = GLfloat(layout::markerSide);

constexpr int preferredSide = 400;
constexpr int minimumSide = 50;

} // namespace

GLWidget::GLWidget(Logic *logic) : GLWidget(&logic->state(), &logic->link()) {}

GLWidget::GLWidget(const RadarState *state, const LinkState *link)
    : QGLWidget(nullptr, nullptr, Qt::WindowFlags()), state(state), link(link),
      consoleTimer(new QTimer(this))
{
    connect(consoleTimer, &QTimer::timeout, this, &GLWidget::redrawConsole);
}

GLWidget::~GLWidget() = default;

QSize GLWidget::sizeHint() const
{
    return QSize(preferredSide, preferredSide);
}

QSize GLWidget::minimumSizeHint() const
{
    return QSize(minimumSide, minimumSide);
}

void GLWidget::initializeGL()
{
    // Should the toolkit ever set up a new context for this view, the old
    // light and lists would otherwise leak and the light be GL_LIGHT1.
    consoleTimer->stop();
    console.reset();
    resources.reset();

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);

    resources.reset(new SceneResources(*this));

    glMaterialfv(GL_FRONT, GL_SHININESS, &materialShininess);
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (link) {
        console.reset(new LiveConsole(resources->textures().display, resources->displayArt()));
        redrawConsole();
        if (isVisible())
            consoleTimer->start(LiveConsole::redrawIntervalMs);
    }
}

void GLWidget::showEvent(QShowEvent *event)
{
    QGLWidget::showEvent(event);
    if (console)
        consoleTimer->start(LiveConsole::redrawIntervalMs);
}

void GLWidget::hideEvent(QHideEvent *event)
{
    consoleTimer->stop();
    QGLWidget::hideEvent(event);
}

void GLWidget::redrawConsole()
{
    if (!console)
        return;
    makeCurrent();
    if (console->show(consoleFigures(*state, *link)))
        update();
}

void GLWidget::resizeGL(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height is taken as 1 rather than dividing by zero.
    const double aspect = double(width) / double(height > 0 ? height : 1);
    gluPerspective(layout::fieldOfViewDeg, aspect, layout::nearPlane, layout::farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::paintGL()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const layout::Point &eye = layout::eye, &centre = layout::lookAt, &up = layout::up;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);

    resources->light().enable();
    const int count = state->targetCount;

    const SceneTextures &textures = resources->textures();
    resources->models().draw(textures.radar, textures.table, textures.display);

    glEnable(GL_BLEND);

    glPushMatrix();
    glTranslatef(discCentreX, sweepHeight, discCentreZ);
    // About -Y: a growing angle turns the sweep clockwise seen from above.
    glRotatef(static_cast<GLfloat>(state->sweepAngle), 0.0f, -1.0f, 0.0f);
    layDiscSquare();
    resources->sweepList().call();
    glPopMatrix();

    glPushMatrix();
    resources->discList().call();
    glPopMatrix();

    glPushMatrix();
    glTranslatef(discCentreX, markerHeight, discCentreZ);
    for (int i = 0; i < count; ++i) {
        const Target &t = state->targets[i];
        glPushMatrix();
        glTranslatef(t.x * targetSpan - targetOffset, 0.0f, t.y * targetSpan - targetOffset);
        glScalef(markerScale, markerScale, markerScale);
        resources->markerList().call();
        glPopMatrix();
    }
    glPopMatrix();

    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    resources->light().disable();
}
