// SPDX-License-Identifier: MIT
#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <thread>

using namespace glmtest;

namespace {

const int untouched = -7;

struct Loaded
{
    GLubyte *pixels = nullptr;
    int width = untouched;
    int height = untouched;
    std::string errors;
    ~Loaded() { free(pixels); }
};

// Loads bytes written to a temporary file, capturing standard error.
void load(const std::string &bytes, Loaded *out, std::string *path = nullptr)
{
    static TempDir dir;
    static int serial = 0;
    std::string file = dir.file("image" + std::to_string(++serial) + ".ppm");
    writeFile(file, bytes);
    if (path)
        *path = file;
    testing::internal::CaptureStderr();
    out->pixels = glmLoadPPM(file.c_str(), &out->width, &out->height);
    out->errors = testing::internal::GetCapturedStderr();
}

std::string pixelBytes(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += char(10 + i);
    return bytes;
}

} // namespace

TEST(LoadPPM, headerWithCommentLoadsTwelveBytes)
{
    Loaded image;
    // The pixel data itself starts with a newline and a '#': only header
    // lines are inspected.
    std::string pixels = "\n#" + pixelBytes(10);
    load("P6\n# made by hand\n2 2\n255\n" + pixels + "trailing", &image);
    ASSERT_NE(nullptr, image.pixels);
    EXPECT_EQ(2, image.width);
    EXPECT_EQ(2, image.height);
    EXPECT_EQ("", image.errors);
    EXPECT_EQ(pixels, std::string((const char *)image.pixels, 12));
}

// Whitespace and comments as the format has them, anywhere in the header:
// numbers on the magic's line, split over lines, comments of any length
// (the one here holds numbers past the length of a line buffer), a comment
// ending the magic or a number, and comments before the one whitespace byte
// that ends the header.
TEST(LoadPPM, headerFollowsTheFormatsWhitespaceAndComments)
{
    const std::string headers[] = {"P6\n3 1 255\n",
                                   "P6 3\n\n   \n1 255\n",
                                   "P6\n3\n# c\n1\n\t\n255\n",
                                   "P6\r\n3 1\r\n255\n",
                                   "P6 3 1 255\n",
                                   "P6\n#" + std::string(68, 'c') + " 7 7 255\n3 1 255\n",
                                   "P6#c\n3#c\r1 #\n255#c\n#d\r\n"};
    for (const std::string &header : headers) {
        Loaded image;
        load(header + pixelBytes(9), &image);
        ASSERT_NE(nullptr, image.pixels) << header;
        EXPECT_EQ(3, image.width);
        EXPECT_EQ(1, image.height);
        EXPECT_EQ(pixelBytes(9), std::string((const char *)image.pixels, 9)) << header;
    }
}

TEST(LoadPPM, shortPixelDataIsRefused)
{
    Loaded image;
    std::string path;
    load("P6\n2 2\n255\nabcde", &image, &path);
    EXPECT_EQ(nullptr, image.pixels);
    EXPECT_EQ(path + ": Truncated PPM pixel data for a 2 x 2 image\n", image.errors);
    EXPECT_EQ(untouched, image.width);
}

TEST(LoadPPM, plainPPMIsRefused)
{
    Loaded image;
    std::string path;
    load("P3\n1 1\n255\n1 2 3\n", &image, &path);
    EXPECT_EQ(nullptr, image.pixels);
    EXPECT_EQ(path + ": Not a raw PPM file\n", image.errors);
    EXPECT_EQ(untouched, image.width);
    EXPECT_EQ(untouched, image.height);

    Loaded empty;
    load("", &empty, &path);
    EXPECT_EQ(nullptr, empty.pixels);
    EXPECT_EQ(path + ": Not a raw PPM file\n", empty.errors);
}

TEST(LoadPPM, missingFileReportsLikePerror)
{
    TempDir dir;
    std::string path = dir.file("absent.ppm");
    int width = untouched, height = untouched;
    testing::internal::CaptureStderr();
    GLubyte *pixels = glmLoadPPM(path.c_str(), &width, &height);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(nullptr, pixels);
    EXPECT_EQ(path + ": No such file or directory\n", errors);
    EXPECT_EQ(untouched, width);
}

TEST(LoadPPM, unsafeHeadersAreRefusedWithOneLine)
{
    const char *headers[] = {
        "P6\n",                                // ends before any number
        "P6\n2 2\n",                           // ends before maxval
        "P6\n\n\n   \n",                       // only blank lines
        "P6\n# only a comment",                // comment without line end
        "P6\nwidth height\n",                  // text where numbers belong
        "P6\n0 2 255\n",                       // zero width
        "P6\n2 0 255\n",                       // zero height
        "P6\n-2 2 255\n",                      // negative width
        "P6\n2 -2 255\n",                      // negative height
        "P6\n2000000000 2000000000 255\n",     // width * height * 3 overflows int
        "P6\n65536 65536 255\n",               // 2^32 pixels
        "P6\n99999999999999999999999 1 255\n", // beyond any integer type
        "P6\n1 -99999999999999999999999 255\n",
        "P6\n30000 30000 255\n", // 2.7e9 bytes: over the int limit
        // A few bytes that promise 1.2e9: refused before any allocation.
        "P6\n20000 20000 255\nabc",
        "P6x\n1 1 255\nabc",     // another magic
        "P65 1 1 255\nabc",      // another magic
        "P6\n1 1 0\nabc",        // maxval 0
        "P6\n1 1 254\nabc",      // samples of another range
        "P6\n1 1 65535\nabcdef", // 16-bit samples
        "P6\n1 1 70000\nabcdef", // beyond any maxval
        "P6\n1 1 255",           // no whitespace after maxval
        "P6\n1 1 255#c\nabc",    // a comment's line end does not end the header
        "P6\n1 1x 255\nabc",     // text inside a number
        "P6\n+1 1 255\nabc",     // a sign
    };
    for (const char *header : headers) {
        Loaded image;
        load(header, &image);
        EXPECT_EQ(nullptr, image.pixels) << header;
        EXPECT_EQ(untouched, image.width) << header;
        ASSERT_FALSE(image.errors.empty()) << header;
        EXPECT_EQ(image.errors.find('\n'), image.errors.size() - 1) << image.errors;
    }
}

TEST(LoadPPM, longRunsOfBlanksAreRead)
{
    Loaded spaced;
    load("P6\n" + std::string(150, ' ') + "1 1 255\nxyz", &spaced);
    ASSERT_NE(nullptr, spaced.pixels);
    EXPECT_EQ("xyz", std::string((const char *)spaced.pixels, 3));
}

// A pipe tells no size in advance: the block grows with what arrives, and a
// stream that ends early is refused like a short file.
TEST(LoadPPM, streamsOfUnknownSizeAreReadAsTheyArrive)
{
    TempDir dir;
    const std::string fifo = dir.file("image.ppm");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    auto loadStream = [&](const std::string &stream, Loaded *out) {
        std::thread writer([&] { writeFile(fifo, stream); });
        testing::internal::CaptureStderr();
        out->pixels = glmLoadPPM(fifo.c_str(), &out->width, &out->height);
        out->errors = testing::internal::GetCapturedStderr();
        writer.join();
    };
    // More than the first block holds, so that the block grows.
    const std::string pixels = pixelBytes(3 * 300 * 100);

    Loaded whole;
    loadStream("P6\n300 100 255\n" + pixels, &whole);
    ASSERT_NE(nullptr, whole.pixels) << whole.errors;
    EXPECT_EQ(300, whole.width);
    EXPECT_EQ(pixels, std::string((const char *)whole.pixels, pixels.size()));

    Loaded cut;
    loadStream("P6\n300 200 255\n" + pixels, &cut);
    EXPECT_EQ(nullptr, cut.pixels);
    EXPECT_EQ(fifo + ": Truncated PPM pixel data for a 300 x 200 image\n", cut.errors);
}
