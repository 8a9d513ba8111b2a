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

// With a GL context current: reads `fileName` (relative to the working
// directory) and returns the new texture's name, left bound to
// GL_TEXTURE_2D. A file that does not load as an image gives 0, the name
// bindTexture gives for an empty pixmap, and set-up goes on with it.
GLuint loadSceneTexture(const char *fileName);
