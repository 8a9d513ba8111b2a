// SPDX-License-Identifier: MIT
// Raw ("P6") PPM image reader.
//
// The header follows the format's rules: "P6", then width, height and
// maxval as unsigned decimal numbers, separated by whitespace in any
// amount and split over lines in any way. A comment runs from "#" through
// the next CR or LF, may be of any length and stands wherever whitespace
// may; it delimits like whitespace, but the header ends with one real
// whitespace byte after maxval (and any comments after it), and the raster
// starts right after that byte. The header is read a byte at a time, so no
// line buffer limits it.
#include "glm/glm.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const int bytesPerPixel = 3;
// Samples are one byte each only with this maxval; larger ones take two.
const long long byteSampleMaxval = 255;
// Sizes are reported through ints, so a block must stay below INT_MAX bytes.
const long long maxImageBytes = INT_MAX;
// Numbers stop growing here, beyond every limit above.
const long long numberCap = 1LL << 40;
// The first block for a stream whose size cannot be known in advance.
const std::size_t unknownSizeChunk = std::size_t{1} << 16;

// The format's whitespace: blanks, tabs, carriage returns and line feeds.
bool isWhitespace(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads past a comment whose "#" was read, through its CR or LF.
void skipComment(std::FILE *fp)
{
    int c;
    do
        c = std::getc(fp);
    while (c != '\n' && c != '\r' && c != EOF);
}

enum class Header { ok, notRaw, incomplete, bad };

// Reads one unsigned number, passing whitespace and comments before it, and
// the whitespace byte or comment that must follow it; delimiter tells which.
Header readNumber(std::FILE *fp, long long &value, int &delimiter)
{
    int c = std::getc(fp);
    while (isWhitespace(c) || c == '#') {
        if (c == '#')
            skipComment(fp);
        c = std::getc(fp);
    }
    if (c == EOF)
        return Header::incomplete;
    if (c < '0' || c > '9')
        return Header::bad;
    value = 0;
    for (; c >= '0' && c <= '9'; c = std::getc(fp))
        value = value < numberCap ? value * 10 + (c - '0') : numberCap;
    delimiter = c;
    if (c == '#')
        skipComment(fp);
    else if (c == EOF)
        return Header::incomplete;
    else if (!isWhitespace(c))
        return Header::bad;
    return Header::ok;
}

// The magic, width, height, maxval and the whitespace byte that ends the
// header; the file is then at the first raster byte.
Header readHeader(std::FILE *fp, long long numbers[3])
{
    if (std::getc(fp) != 'P' || std::getc(fp) != '6')
        return Header::notRaw;
    // "P6" must stand alone: "P65" or "P6x" is another magic.
    const int after = std::getc(fp);
    if (after == EOF)
        return Header::incomplete;
    if (!isWhitespace(after) && after != '#')
        return Header::notRaw;
    std::ungetc(after, fp);
    int delimiter = 0;
    for (int i = 0; i < 3; ++i) {
        const Header read = readNumber(fp, numbers[i], delimiter);
        if (read != Header::ok)
            return read;
    }
    // Comments after maxval still need the whitespace byte after them.
    int c = delimiter;
    while (c == '#') {
        c = std::getc(fp);
        if (c == '#')
            skipComment(fp);
    }
    if (c == EOF)
        return Header::incomplete;
    return isWhitespace(c) ? Header::ok : Header::bad;
}

// Bytes from the current position to the end, or -1 when the stream cannot
// tell (a pipe).
long long bytesLeft(std::FILE *fp)
{
    const long here = std::ftell(fp);
    if (here < 0 || std::fseek(fp, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(fp);
    if (std::fseek(fp, here, SEEK_SET) != 0 || end < here)
        return -1;
    return end - here;
}

enum class Raster { ok, truncated, noMemory };

// Reads size raster bytes into block. Unless known says that the stream
// holds them all, the block grows with what arrives, so that it never
// holds much more than the stream has filled.
Raster readRaster(std::FILE *fp, std::size_t size, bool known, GLubyte *&block)
{
    std::size_t capacity = known || size < unknownSizeChunk ? size : unknownSizeChunk;
    block = static_cast<GLubyte *>(std::malloc(capacity));
    std::size_t got = 0;
    for (;;) {
        if (!block)
            return Raster::noMemory;
        got += std::fread(block + got, 1, capacity - got, fp);
        if (got == size)
            return Raster::ok;
        if (got < capacity)
            break; // the stream ended
        capacity = capacity > size / 2 ? size : capacity * 2;
        GLubyte *grown = static_cast<GLubyte *>(std::realloc(block, capacity));
        if (!grown)
            std::free(block);
        block = grown;
    }
    std::free(block);
    block = nullptr;
    return Raster::truncated;
}

GLubyte *refuse(std::FILE *fp, const char *filename, const std::string &problem)
{
    std::fprintf(stderr, "%s: %s\n", filename, problem.c_str());
    std::fclose(fp);
    return nullptr;
}

} // namespace

GLubyte *glmLoadPPM(const char *filename, int *width, int *height)
{
    std::FILE *fp = std::fopen(filename, "rb");
    if (!fp) {
        std::perror(filename);
        return nullptr;
    }

    long long numbers[3] = {0, 0, 0};
    switch (readHeader(fp, numbers)) {
    case Header::ok:
        break;
    case Header::notRaw:
        return refuse(fp, filename, "Not a raw PPM file");
    case Header::incomplete:
        return refuse(fp, filename, "Incomplete PPM header");
    case Header::bad:
        return refuse(fp, filename, "Bad PPM header: text where a number or blank belongs");
    }

    const long long w = numbers[0], h = numbers[1], maxval = numbers[2];
    const std::string size = std::to_string(w) + " x " + std::to_string(h);
    if (w <= 0 || h <= 0 || w > maxImageBytes || h > maxImageBytes ||
        w * h > maxImageBytes / bytesPerPixel)
        return refuse(fp, filename, "Bad PPM image size " + size);
    if (maxval != byteSampleMaxval)
        return refuse(fp, filename,
                      "Unsupported PPM maxval " + std::to_string(maxval) +
                          " (only 8-bit samples, maxval 255)");

    const long long bytes = w * h * bytesPerPixel;
    const long long left = bytesLeft(fp);
    GLubyte *image = nullptr;
    const Raster raster = left >= 0 && left < bytes
                              ? Raster::truncated
                              : readRaster(fp, static_cast<std::size_t>(bytes), left >= 0, image);
    if (raster == Raster::truncated)
        return refuse(fp, filename, "Truncated PPM pixel data for a " + size + " image");
    if (raster == Raster::noMemory)
        return refuse(fp, filename, "Not enough memory for a " + size + " PPM image");
    std::fclose(fp);

    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return image;
}
