// SPDX-License-Identifier: MIT
// The GL resources of one view: its light, six textures, three display
// lists and the scene models. Made together once the view's context is
// current and released together by the destructor, which first makes that
// context current again (another one may be current by then). A view that
// was never set up has no such object, so it issues no GL call.
#pragma once

#include <GL/gl.h>
#include <QImage>

#include <memory>

class DisplayList;
class PointLight;
class QGLWidget;
class SceneModels;

// Texture names as the view's bindTexture returned them; the textures are
// not deleted with the resources. An image that did not load leaves
// whatever name bindTexture gave for an empty pixmap.
struct SceneTextures
{
    GLuint radar = 0;
    GLuint table = 0;
    GLuint disc = 0;
    GLuint sweep = 0;
    GLuint display = 0;
    GLuint marker = 0;
};

// Lays the unit square flat as the disc's square, facing up with its
// picture's top on the far side, and scales it to the disc's side: the disc
// list records these calls after moving to the disc centre, and each frame
// issues them for the sweep after moving and turning it.
void layDiscSquare();

class SceneResources
{
public:
    // With the view's context current: creates the light (the process's
    // first light gets GL_LIGHT0), loads the textures, compiles the marker,
    // disc and sweep lists, and reads the models, in that order. The view
    // must outlive this object.
    explicit SceneResources(QGLWidget &view);
    // Makes the view's context current, then releases the light, the disc,
    // sweep and marker lists, and the models, in that order.
    ~SceneResources();

    SceneResources(const SceneResources &) = delete;
    SceneResources &operator=(const SceneResources &) = delete;

    PointLight &light() const { return *pointLight; }
    const SceneTextures &textures() const { return names; }
    // The display texture's image as loaded (null when it did not load),
    // kept for the live console to draw over.
    const QImage &displayArt() const { return displayImage; }
    // The marker list binds its texture and turns the matrix to lay the
    // square flat, without a push or pop of its own: wrap each call in one.
    DisplayList &markerList() const { return *marker; }
    // The disc square in place, with its own push and pop.
    DisplayList &discList() const { return *disc; }
    // The sweep square, placed by the caller.
    DisplayList &sweepList() const { return *sweep; }
    const SceneModels &models() const { return *scene; }

private:
    QGLWidget &view;
    std::unique_ptr<PointLight> pointLight;
    SceneTextures names;
    QImage displayImage;
    std::unique_ptr<DisplayList> marker;
    std::unique_ptr<DisplayList> disc;
    std::unique_ptr<DisplayList> sweep;
    std::unique_ptr<SceneModels> scene;
};
