// SPDX-License-Identifier: MIT
#include "render/liveconsole.h"

#include "render/consolelayout.h"
#include "render/scenelayout.h"
#include "render/scenetexture.h"

#include <cstring>

namespace {

namespace console = layout::console;

constexpr int bitsPerByte = 8;

const QRect regionRect(console::region.x, console::region.y, console::region.width,
                       console::region.height);

bool hasConsole(const QImage &art)
{
    const layout::TextureSize size = layout::displayModel.textureSize;
    return art.width() == size.width && art.height() == size.height;
}

} // namespace

LiveConsole::LiveConsole(GLuint texture, const QImage &art)
    : texture(texture), art(hasConsole(art) ? texelImage(art) : QImage())
{
}

bool LiveConsole::show(const ConsoleFigures &figures)
{
    if (art.isNull() || (drawn && figures == shown))
        return false;
    // Made once and reused: a fresh image each time would cost fresh pages.
    if (canvas.isNull())
        canvas = QImage(regionRect.size(), art.format());
    const int rowBytes = regionRect.width() * art.depth() / bitsPerByte;
    for (int row = 0; row < regionRect.height(); ++row)
        std::memcpy(canvas.scanLine(row),
                    art.constScanLine(regionRect.y() + row) +
                        regionRect.x() * art.depth() / bitsPerByte,
                    rowBytes);
    drawConsoleFigures(canvas, figures);
    replaceSceneTextureRegion(texture, art.width(), art.height(), regionRect, canvas);
    shown = figures;
    drawn = true;
    return true;
}
