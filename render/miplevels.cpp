// SPDX-License-Identifier: MIT
#include "render/miplevels.h"

#include <algorithm>

namespace {
constexpr int channels = 4;
constexpr int texelsAveraged = 4;
} // namespace

void halveTexels(const unsigned char *src, std::ptrdiff_t srcStride, int width, int height,
                 unsigned char *dst, std::ptrdiff_t dstStride)
{
    const int outWidth = halvedSide(width), outHeight = halvedSide(height);
    // Where a side is 1 its texels pair with themselves.
    const int nextColumn = width > 1 ? channels : 0;
    for (int y = 0; y < outHeight; ++y) {
        const unsigned char *upper = src + 2 * y * srcStride;
        const unsigned char *lower = src + std::min(2 * y + 1, height - 1) * srcStride;
        unsigned char *out = dst + y * dstStride;
        for (int x = 0; x < outWidth; ++x) {
            const unsigned char *u = upper + 2 * x * channels, *l = lower + 2 * x * channels;
            for (int c = 0; c < channels; ++c) {
                const int sum = u[c] + u[c + nextColumn] + l[c] + l[c + nextColumn];
                out[x * channels + c] =
                    static_cast<unsigned char>((sum + texelsAveraged / 2) / texelsAveraged);
            }
        }
    }
}
