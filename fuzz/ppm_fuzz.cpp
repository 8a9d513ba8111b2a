// SPDX-License-Identifier: MIT
// glmLoadPPM on arbitrary file contents, checked against a small strict
// parser of the raw PPM format written here: the loader returns exactly
// the images the format allows (8-bit samples only) with their size and
// pixels, refuses everything else leaving the out arguments as they were,
// never reads or writes outside its buffers, and never allocates a block
// larger than the file could fill.
#include "scratchdir.h"

#include "glm/glm.h"

#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int untouched = -12345;
const int bytesPerPixel = 3;
const unsigned long long onlyMaxval = 255;
// Sizes are reported through ints.
const unsigned long long largestImage = INT_MAX;
// Numbers stop growing here, past every limit.
const unsigned long long numberCap = 1ULL << 40;
// Besides the image, the loader's stream has its buffer and record.
const std::size_t streamAllowance = 8192;

// ---- reference parser ------------------------------------------------------

// The header as a sequence of tokens: whitespace bytes, comments ("#"
// through the next CR or LF) and numbers (maximal digit runs).
enum class Kind { space, comment, number };

struct Image
{
    bool valid = false;
    unsigned long long width = 0, height = 0;
    std::size_t rasterStart = 0;
};

Image parse(const std::uint8_t *data, std::size_t size)
{
    Image image;
    if (size < 2 || data[0] != 'P' || data[1] != '6')
        return image;
    std::vector<unsigned long long> numbers;
    Kind last = Kind::number; // the magic: it must be followed by a separator
    std::size_t at = 2;
    while (at < size) {
        const std::uint8_t c = data[at];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++at;
            if (numbers.size() == 3) { // the byte that ends the header
                image.rasterStart = at;
                break;
            }
            last = Kind::space;
        } else if (c == '#') {
            while (at < size && data[at] != '\r' && data[at] != '\n')
                ++at;
            if (at == size)
                return image;
            ++at;
            last = Kind::comment;
        } else if (c >= '0' && c <= '9' && last != Kind::number && numbers.size() < 3) {
            unsigned long long value = 0;
            for (; at < size && data[at] >= '0' && data[at] <= '9'; ++at)
                value = value < numberCap ? value * 10 + (data[at] - '0') : numberCap;
            numbers.push_back(value);
            last = Kind::number;
        } else {
            return image;
        }
    }
    if (image.rasterStart == 0)
        return image;
    image.width = numbers[0];
    image.height = numbers[1];
    if (image.width == 0 || image.height == 0 || image.width > largestImage ||
        image.height > largestImage || numbers[2] != onlyMaxval)
        return image;
    const unsigned long long bytes = image.width * image.height * bytesPerPixel;
    image.valid = bytes <= largestImage && size - image.rasterStart >= bytes;
    return image;
}

// ---- allocations -----------------------------------------------------------

std::atomic<bool> watching{false};
std::atomic<std::size_t> largestBlock{0};

void onMalloc(const volatile void *, std::size_t size)
{
    if (watching.load(std::memory_order_relaxed) &&
        size > largestBlock.load(std::memory_order_relaxed))
        largestBlock.store(size, std::memory_order_relaxed);
}

void onFree(const volatile void *) {}

[[noreturn]] void finding(const std::string &what)
{
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string path = fuzzsupport::scratchPath("image.ppm");
    fuzzsupport::writeFile(path, data, size);
    const Image expected = parse(data, size);

    int width = untouched;
    int height = untouched;
    largestBlock = 0;
    watching = true;
    GLubyte *pixels = glmLoadPPM(path.c_str(), &width, &height);
    watching = false;

    const std::size_t allowed = size > streamAllowance ? size : streamAllowance;
    if (largestBlock > allowed)
        finding("a block of " + std::to_string(largestBlock) + " bytes for a file of " +
                std::to_string(size));
    if (!pixels) {
        if (expected.valid)
            finding("a valid image was refused");
        if (width != untouched || height != untouched)
            finding("a refused file changed the out arguments");
        return 0;
    }
    if (!expected.valid)
        finding("an invalid file was loaded");
    if (static_cast<unsigned long long>(width) != expected.width ||
        static_cast<unsigned long long>(height) != expected.height)
        finding("the size differs from the header's");
    // The whole block the size promises must be addressable, and its last
    // byte the last one: the next is a heap redzone.
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * bytesPerPixel;
    if (__asan_region_is_poisoned(pixels, bytes) || !__asan_address_is_poisoned(pixels + bytes))
        finding("the block is not exactly the image's size");
    if (std::memcmp(pixels, data + expected.rasterStart, bytes) != 0)
        finding("the pixels differ from the file's raster");
    std::free(pixels);
    return 0;
}
