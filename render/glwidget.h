// SPDX-License-Identifier: MIT
// The 3D view of the radar table: set-up, one frame per updateGL, drawn
// from a RadarState it reads but does not own (the sweep angle and the
// targets). Given a LinkState too, it shows the live figures on the display
// model's console, redrawn into the display texture on a timer of its own
// (LiveConsole::redrawIntervalMs), never per frame; without one the console
// shows its art alone. Owns its GL resources through one SceneResources
// object.
#pragma once

#include <QGLWidget>

#include <memory>

class LiveConsole;
class Logic;
class QTimer;
class SceneResources;
struct LinkState;
struct RadarState;

class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    // Draws logic->state() with logic->link() on the console; the Logic
    // must outlive the view.
    explicit GLWidget(Logic *logic);
    // Draws *state, and *link (when given) on the console; both must
    // outlive the view.
    explicit GLWidget(const RadarState *state, const LinkState *link = nullptr);
    ~GLWidget() override;

    QSize sizeHint() const override;        // 400 x 400
    QSize minimumSizeHint() const override; // 50 x 50

    // Null until the view is set up (initializeGL); owned by the view.
    const SceneResources *scene() const { return resources.get(); }

public slots:
    // Draws the live figures into the console now, when the view has a
    // link record and is set up and the figures changed, and then repaints.
    // The view's timer calls it; callable at any time.
    void redrawConsole();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    // The console's timer runs only while the view is shown.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    const RadarState *state;
    const LinkState *link;
    std::unique_ptr<SceneResources> resources;
    std::unique_ptr<LiveConsole> console; // set up with the resources, given a link
    QTimer *consoleTimer;                 // child of the view
};
