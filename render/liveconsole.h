// SPDX-License-Identifier: MIT
// The live figures on the display model's console: keeps the display
// texture's console region showing the art it was painted with and the
// figures last given, redrawn on every mip level when they change.
#pragma once

#include "render/consolefigures.h"

#include <GL/gl.h>
#include <QImage>

class LiveConsole
{
public:
    // The view redraws the figures at most this often, so that their cost
    // never reaches a frame (a figure then shows up to this late).
    static constexpr int redrawIntervalMs = 1000;

    // `texture` is the display texture's name and `art` the image it was
    // loaded from. Art of another size than the layout's display texture
    // has no known console, and show() then leaves it as it is.
    LiveConsole(GLuint texture, const QImage &art);

    // With the view's context current: draws `figures` over the console's
    // art into the texture, unless they are the ones it already shows.
    // True when the texture changed.
    bool show(const ConsoleFigures &figures);

private:
    GLuint texture;
    QImage art;    // the whole texture as loaded, shared with the loader's image
    QImage canvas; // the console region, drawn anew from the art each time
    ConsoleFigures shown;
    bool drawn = false;
};
