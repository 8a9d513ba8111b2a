// The 3D view of the radar table: set-up, one frame per updateGL, drawn
// from a RadarState it reads but does not own (the sweep angle and the
// targets). Owns its GL resources through one SceneResources object.
#pragma once

#include <QGLWidget>

#include <memory>

class Logic;
class SceneResources;
struct RadarState;

class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    // Draws logic->state(); the Logic must outlive every frame.
    explicit GLWidget(Logic *logic);
    // Draws *state, which must outlive every frame.
    explicit GLWidget(const RadarState *state);
    ~GLWidget() override;

    QSize sizeHint() const override;        // 400 x 400
    QSize minimumSizeHint() const override; // 50 x 50

    // Null until the view is set up (initializeGL); owned by the view.
    const SceneResources *scene() const { return resources.get(); }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    const RadarState *state;
    std::unique_ptr<SceneResources> resources;
};
