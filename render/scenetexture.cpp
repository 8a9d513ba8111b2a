#include "render/scenetexture.h"

#include "render/miplevels.h"

#include <QImage>

#include <vector>

namespace {

constexpr int bytesPerTexel = 4;

// Texels as 0xAARRGGBB words with colour not premultiplied (an opaque image
// keeps its 0xff alpha): GL takes them as they are, with no copy.
QImage texelImage(const QImage &image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                         : QImage::Format_RGB32);
}

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

GLuint loadSceneTexture(const char *fileName)
{
    const QImage image(QString::fromLatin1(fileName));
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
