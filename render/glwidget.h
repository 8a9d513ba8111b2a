// The 3D view of the radar table: set-up, one frame per updateGL, and the
// three scene models. Owns its light, display lists and models; draws the
// sweep angle and targets of a Logic it does not own.
#pragma once

#include <QGLWidget>

class Logic;
class PointLight;
class DisplayList;
struct ObjModel;

class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    explicit GLWidget(Logic *logic);
    ~GLWidget() override;

    QSize sizeHint() const override;        // 400 x 400
    QSize minimumSizeHint() const override; // 50 x 50

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    friend class GLWidgetTestAccess;

    // Releases light, lists and models with this view's context current;
    // does nothing (no GL call) when there is nothing to release.
    void releaseScene();
    GLuint loadTexture(const char *fileName);
    void readModels();
    void drawModels(); // leaves the colour at (1, 1, 1, 0.7) and blending off
    void freeModels();

    Logic *logic;
    PointLight *light = nullptr;
    DisplayList *discList = nullptr;
    DisplayList *sweepList = nullptr;
    DisplayList *markerList = nullptr;
    ObjModel *radarModel = nullptr;
    ObjModel *tableModel = nullptr;
    ObjModel *displayModel = nullptr;
    GLuint radarTexture = 0;
    GLuint tableTexture = 0;
    GLuint discTexture = 0;
    GLuint sweepTexture = 0;
    GLuint displayTexture = 0;
    GLuint markerTexture = 0;
};
