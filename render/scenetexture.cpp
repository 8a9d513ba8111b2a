// SPDX-License-Identifier: MIT
#include "render/scenetexture.h"

#include "render/miplevels.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int bytesPerTexel = 4;

void specifyLevel(GLint number, int width, int height, const void *texels)
{
    // 0xAARRGGBB words, whatever the byte order of the machine.
    glTexImage2D(GL_TEXTURE_2D, number, GL_RGBA, width, height, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, texels);
}

// GL's first row is the image's last, so level 0 goes up row by row rather
// than through a flipped copy. Halving commutes with that flip for even
// heights, so level 1 is read bottom row first and the rest halve it in
// place.
void uploadLevels(const QImage &image)
{
    int width = image.width(), height = image.height();
    specifyLevel(0, width, height, nullptr);
    for (int row = 0; row < height; ++row)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, height - 1 - row, width, 1, GL_BGRA,
                        GL_UNSIGNED_INT_8_8_8_8_REV, image.constScanLine(row));
    if (width == 1 && height == 1)
        return;
    std::vector<unsigned char> level(std::size_t(halvedSide(width)) * halvedSide(height) *
                                     bytesPerTexel);
    halveTexels(image.constScanLine(height - 1), -std::ptrdiff_t(image.bytesPerLine()), width,
                height, level.data(), std::ptrdiff_t(halvedSide(width)) * bytesPerTexel);
    for (GLint number = 1;; ++number) {
        width = halvedSide(width);
        height = halvedSide(height);
        specifyLevel(number, width, height, level.data());
        if (width == 1 && height == 1)
            return;
        halveTexels(level.data(), std::ptrdiff_t(width) * bytesPerTexel, width, height,
                    level.data(), std::ptrdiff_t(halvedSide(width)) * bytesPerTexel);
    }
}

} // namespace

QImage texelImage(const QImage &image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

namespace {

// A rectangle of one level in GL's row order (bottom row 0).
struct Block
{
    int x, y, width, height;

    bool contains(const Block &b) const
    {
        return b.x >= x && b.y >= y && b.x + b.width <= x + width && b.y + b.height <= y + height;
    }
};

void replaceBlock(GLint level, const Block &b, const unsigned char *texels)
{
    glTexSubImage2D(GL_TEXTURE_2D, level, b.x, b.y, b.width, b.height, GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, texels);
}

} // namespace

GLuint loadSceneTexture(const char *fileName, QImage *loaded)
{
    const QImage image(QString::fromLatin1(fileName));
    if (loaded)
        *loaded = image;
    if (image.isNull())
        return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // Set before the first level: GL then allocates the whole chain at once
    // instead of moving level 0 into a larger allocation when level 1 comes.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, bytesPerTexel);
    uploadLevels(texelImage(image));
    return name;
}

void replaceSceneTextureRegion(GLuint name, int textureWidth, int textureHeight,
                               const QRect &region, const QImage &texels)
{
    const QImage image = texelImage(texels);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, bytesPerTexel);
    glPixelStorei(GL_PACK_ALIGNMENT, bytesPerTexel);

    int width = textureWidth, height = textureHeight;
    Block block{region.x(), height - 1 - region.bottom(), region.width(), region.height()};
    std::vector<unsigned char> texelsHere(std::size_t(block.width) * block.height * bytesPerTexel);
    const std::size_t rowBytes = std::size_t(block.width) * bytesPerTexel;
    for (int row = 0; row < block.height; ++row)
        std::memcpy(&texelsHere[row * rowBytes], image.constScanLine(block.height - 1 - row),
                    rowBytes);
    std::vector<unsigned char> wholeLevel, texelsBelow;
    for (GLint level = 0;; ++level) {
        replaceBlock(level, block, texelsHere.data());
        if (width == 1 && height == 1)
            return;
        // The texels of the next level this block reaches into, and the
        // ones of this level they are the means of.
        const int nextWidth = halvedSide(width), nextHeight = halvedSide(height);
        const Block below{block.x / 2, block.y / 2,
                          std::min((block.x + block.width + 1) / 2, nextWidth) - block.x / 2,
                          std::min((block.y + block.height + 1) / 2, nextHeight) - block.y / 2};
        const Block source{width == 1 ? 0 : 2 * below.x, height == 1 ? 0 : 2 * below.y,
                           width == 1 ? 1 : 2 * below.width, height == 1 ? 1 : 2 * below.height};
        // Where the block is not aligned to this level's pairs, the means
        // take texels from beyond it, which only GL holds: they are read
        // back, which happens on the few coarsest levels only.
        const unsigned char *from = texelsHere.data();
        Block fromBlock = block;
        if (!block.contains(source)) {
            wholeLevel.resize(std::size_t(width) * height * bytesPerTexel);
            glGetTexImage(GL_TEXTURE_2D, level, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                          wholeLevel.data());
            from = wholeLevel.data();
            fromBlock = Block{0, 0, width, height};
        }
        const std::ptrdiff_t fromStride = std::ptrdiff_t(fromBlock.width) * bytesPerTexel;
        const unsigned char *sourceStart =
            from + (source.y - fromBlock.y) * fromStride + (source.x - fromBlock.x) * bytesPerTexel;
        texelsBelow.resize(std::size_t(below.width) * below.height * bytesPerTexel);
        halveTexels(sourceStart, fromStride, source.width, source.height, texelsBelow.data(),
                    std::ptrdiff_t(below.width) * bytesPerTexel);
        texelsHere.swap(texelsBelow);
        block = below;
        width = nextWidth;
        height = nextHeight;
    }
}
