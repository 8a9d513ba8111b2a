// SPDX-License-Identifier: MIT
// Mip levels of 8-bit texels with four channels (in any order, each
// filtered on its own, colour not premultiplied by alpha): each level halves
// the one before, each texel the rounded mean of the 2 x 2 texels it covers,
// as GL's own mipmap generation does. Plain bytes, no GL: the view uploads
// the levels, the asset generator reduces its paintings with them.
#pragma once

#include <cstddef>

// The size of the next level along one side: half, rounded down, never
// below 1. An odd side drops its last texel row or column.
inline int halvedSide(int side)
{
    return side > 1 ? side / 2 : 1;
}

// Writes the level below `src` (width x height texels, rows `srcStride`
// bytes apart; a negative stride walks the rows upwards) to `dst`, rows
// `dstStride` bytes apart. Where a side is 1 the texels of the other side
// are paired alone.
// `dst` may be `src` when both hold tightly packed rows (strides of 4 x
// their widths, both positive): each texel is written after it was last read.
void halveTexels(const unsigned char *src, std::ptrdiff_t srcStride, int width, int height,
                 unsigned char *dst, std::ptrdiff_t dstStride);
