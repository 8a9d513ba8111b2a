// Raw ("P6") PPM image reader.
//
// The header is read line by line so that the pixel data starts right after
// the line that completes it. Numbers are parsed here rather than with
// sscanf: an out-of-range "%d" is undefined, and a blank line must not count.
#include "glm/glm.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace {

// One header line per read; a longer line is read on as further lines.
const int lineBufferSize = 70;
const int headerNumbers = 3; // width, height, maxval
const int bytesPerPixel = 3;
// Sizes are reported through ints, so a block must stay below INT_MAX bytes.
const long long maxImageBytes = INT_MAX;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Parses up to max decimal integers separated by blanks from line into out,
// stopping at the first text that cannot begin a number. Values beyond the
// range of long long saturate. Returns how many were parsed.
int parseNumbers(const char *line, long long *out, int max)
{
    const char *p = line;
    int parsed = 0;
    while (parsed < max) {
        while (isBlank(*p))
            ++p;
        bool negative = false;
        const char *digits = p;
        if (*digits == '+' || *digits == '-') {
            negative = *digits == '-';
            ++digits;
        }
        if (*digits < '0' || *digits > '9')
            break;
        long long value = 0;
        for (; *digits >= '0' && *digits <= '9'; ++digits) {
            int d = *digits - '0';
            value = value > (LLONG_MAX - d) / 10 ? LLONG_MAX : value * 10 + d;
        }
        out[parsed++] = negative ? -value : value;
        p = digits;
    }
    return parsed;
}

} // namespace

GLubyte *glmLoadPPM(const char *filename, int *width, int *height)
{
    std::FILE *fp = std::fopen(filename, "rb");
    if (!fp) {
        std::perror(filename);
        return nullptr;
    }

    char line[lineBufferSize];
    if (!std::fgets(line, sizeof line, fp) || line[0] != 'P' || line[1] != '6') {
        std::fprintf(stderr, "%s: Not a raw PPM file\n", filename);
        std::fclose(fp);
        return nullptr;
    }

    // Each line carries the next numbers still missing; comment lines and
    // lines without a number are passed over.
    long long numbers[headerNumbers] = {0, 0, 0};
    int n = 0;
    while (n < headerNumbers) {
        if (!std::fgets(line, sizeof line, fp)) {
            std::fprintf(stderr, "%s: Incomplete PPM header\n", filename);
            std::fclose(fp);
            return nullptr;
        }
        if (line[0] == '#')
            continue;
        n += parseNumbers(line, numbers + n, headerNumbers - n);
    }

    long long w = numbers[0], h = numbers[1];
    if (w <= 0 || h <= 0 || w > maxImageBytes || h > maxImageBytes ||
        w * h > maxImageBytes / bytesPerPixel) {
        std::fprintf(stderr, "%s: Bad PPM image size %lld x %lld\n", filename, w, h);
        std::fclose(fp);
        return nullptr;
    }

    const std::size_t size =
        static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * bytesPerPixel;
    // Zeroed, so that a short file leaves defined pixels.
    GLubyte *image = static_cast<GLubyte *>(std::calloc(size, 1));
    if (!image) {
        std::fprintf(stderr, "%s: Not enough memory for a %lld x %lld PPM image\n", filename, w, h);
        std::fclose(fp);
        return nullptr;
    }
    // A short read is not an error: the rest stays zero.
    [[maybe_unused]] const std::size_t got = std::fread(image, 1, size, fp);
    std::fclose(fp);

    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return image;
}
