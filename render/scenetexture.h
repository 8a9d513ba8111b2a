// SPDX-License-Identifier: MIT
// One texture of the scene, read from an image file with all its mip
// levels and filtered with the nearest level (GL_LINEAR_MIPMAP_NEAREST): one
// bilinear lookup per fragment instead of two. The textures are stored at
// the size of their finest visible level, so the nearest level is where the
// detail is.
//
// The levels are uploaded here rather than through QGLWidget::bindTexture:
// with its mipmap option GL builds the levels with shaders it compiles for
// the purpose, and without it GL moves level 0 into a new allocation when
// further levels come; both cost more at start-up than halving here, and
// bindTexture offers no nearest-level filter.
#pragma once

#include <GL/gl.h>

class QImage;
class QRect;

// With a GL context current: reads `fileName` (relative to the working
// directory) and returns the new texture's name, left bound to
// GL_TEXTURE_2D. A file that does not load as an image gives 0, the name
// bindTexture gives for an empty pixmap, and set-up goes on with it. When
// `loaded` is given it receives the image as read (null for 0).
GLuint loadSceneTexture(const char *fileName, QImage *loaded = nullptr);

// The image as texels the way the loader uploads them: 0xAARRGGBB words
// with colour not premultiplied (an opaque image keeps its 0xff alpha), so
// GL takes them as they are. Shared, not copied, when it is so already.
QImage texelImage(const QImage &image);

// With a GL context current: replaces `region` (image coordinates, top row
// 0) of the texture `name`, `textureWidth` x `textureHeight` texels at level
// 0, by `texels` (of the region's size), and every coarser level's texels
// that it covers as the loader would have halved them: the texture then
// holds what loading the changed image would give. Leaves `name` bound. The
// region must lie inside the texture.
void replaceSceneTextureRegion(GLuint name, int textureWidth, int textureHeight,
                               const QRect &region, const QImage &texels);
