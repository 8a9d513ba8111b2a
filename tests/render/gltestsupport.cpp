// SPDX-License-Identifier: MIT
#include "gltestsupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "keeplibraries.h"

namespace {
constexpr int mapTimeoutMs = 5000;
constexpr int eventSliceMs = 10;
} // namespace

bool waitUntilMapped(QWidget &widget)
{
    QElapsedTimer clock;
    clock.start();
    while (!widget.testAttribute(Qt::WA_Mapped) && clock.elapsed() < mapTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, eventSliceMs);
    return widget.testAttribute(Qt::WA_Mapped);
}

ContextWidget::ContextWidget(int size, const QGLWidget *shareWidget)
    : QGLWidget(nullptr, shareWidget)
{
    setFixedSize(size, size);
}

bool ContextWidget::ready()
{
    show();
    if (!waitUntilMapped(*this) || !isValid())
        return false;
    makeCurrent();
    return true;
}

QImage readBackBuffer(int width, int height)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored();
}

QImage readTextureLevel(GLuint name, int level)
{
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    QImage image(width, height, QImage::Format_ARGB32);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, image.bits());
    return image.mirrored();
}

Matrix currentMatrix(GLenum which)
{
    Matrix m{};
    glGetDoublev(which, m.data());
    return m;
}

bool writePng(const QString &path, const QImage &image)
{
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG");
}

bool writeSolidPng(const QString &path, QRgb fill, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(fill));
    return writePng(path, image);
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    keepLoadedLibrariesMapped();
    return result;
}
