// SPDX-License-Identifier: MIT
// The scene's solid furniture: the radar, the table and the display, three
// OBJ models read and fitted once, drawn textured beneath the blended radar
// squares in every frame, and freed with this object. Where each sits and
// which files it comes from is the scene layout's.
#pragma once

#include <GL/gl.h>

struct ObjModel;

class SceneModels
{
public:
    // Reads the radar, the table and the display in that order, each fitted
    // into the cube of side 2 with facet and smoothed vertex normals. Needs
    // a current GL context. A missing model file or material library ends
    // the process with status 1 after the model library's message.
    SceneModels();
    // Frees the radar, the display and the table, in that order; no GL call.
    ~SceneModels();

    SceneModels(const SceneModels &) = delete;
    SceneModels &operator=(const SceneModels &) = delete;

    // Draws the table, the radar and the display, each placed and bound to
    // its texture, with back faces culled: each model winds its faces
    // counter-clockwise seen from outside and is closed wherever the camera
    // sees it. Leaves the current colour at (1, 1, 1, 0.7) and culling off;
    // blending must be off, so the models show opaque.
    void draw(GLuint radarTexture, GLuint tableTexture, GLuint displayTexture) const;

    // Owned by this object: never freed by the caller.
    ObjModel *radar() const { return radarModel; }
    ObjModel *table() const { return tableModel; }
    ObjModel *display() const { return displayModel; }

private:
    ObjModel *radarModel;
    ObjModel *tableModel;
    ObjModel *displayModel;
};
