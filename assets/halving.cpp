// SPDX-License-Identifier: MIT
#include "assets/halving.h"

#include "render/miplevels.h"

QImage halved(const QImage &painting)
{
    const QImage image = painting.convertToFormat(
        painting.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QImage half(halvedSide(image.width()), halvedSide(image.height()), image.format());
    halveTexels(image.constBits(), image.bytesPerLine(), image.width(), image.height(), half.bits(),
                half.bytesPerLine());
    return half;
}
