// glmLoadPPM on arbitrary file contents: it returns the pixels or null,
// never reads or writes outside its buffers, and reports a size that
// matches the block it returns.
#include "scratchdir.h"

#include "glm/glm.h"

#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const int untouched = -12345;
const int bytesPerPixel = 3;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string path = fuzzsupport::scratchPath("image.ppm");
    fuzzsupport::writeFile(path, data, size);
    int width = untouched;
    int height = untouched;
    GLubyte *pixels = glmLoadPPM(path.c_str(), &width, &height);
    if (!pixels) {
        // A refused file leaves the out arguments as they were.
        if (width != untouched || height != untouched)
            std::abort();
        return 0;
    }
    if (width <= 0 || height <= 0)
        std::abort();
    // The whole block the size promises must be addressable, and its last
    // byte the last one: the next is a heap redzone.
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * bytesPerPixel;
    if (__asan_region_is_poisoned(pixels, bytes) || !__asan_address_is_poisoned(pixels + bytes))
        std::abort();
    std::free(pixels);
    return 0;
}
