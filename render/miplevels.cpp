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
    for (int y = 0; y < outHeight; ++y) {
        const unsigned char *upper = src + 2 * y * srcStride;
        const unsigned char *lower = src + std::min(2 * y + 1, height - 1) * srcStride;
        unsigned char *out = dst + y * dstStride;
        for (int x = 0; x < outWidth; ++x) {
            const int left = 2 * x * channels;
            const int right = std::min(2 * x + 1, width - 1) * channels;
            for (int c = 0; c < channels; ++c) {
                const int sum =
                    upper[left + c] + upper[right + c] + lower[left + c] + lower[right + c];
                out[x * channels + c] =
                    static_cast<unsigned char>((sum + texelsAveraged / 2) / texelsAveraged);
            }
        }
    }
}
