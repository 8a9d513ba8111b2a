// SPDX-License-Identifier: MIT
// Helpers for tests that draw with real GL on the test display: a shown
// widget whose context is current, reading pixels and matrices back, and
// writing small PNG files.
#pragma once

#include <QGLWidget>
#include <QImage>
#include <QString>

#include <array>

using Matrix = std::array<GLdouble, 16>;

// Processes events until the widget is mapped (bounded in time); false when
// it never was.
bool waitUntilMapped(QWidget &widget);

// A plain shown GL widget, for tests of GL building blocks.
class ContextWidget : public QGLWidget
{
public:
    explicit ContextWidget(int size = 64, const QGLWidget *shareWidget = nullptr);
    // Shows, waits until mapped and makes the context current.
    bool ready();
};

// Reads the current context's back buffer, width x height from (0, 0),
// as an image with the top row first.
QImage readBackBuffer(int width, int height);

// Reads one level of a texture of the current context as an image with the
// top row first (GL's last), its texels as the loader gave them.
QImage readTextureLevel(GLuint name, int level);

Matrix currentMatrix(GLenum which); // GL_MODELVIEW_MATRIX or GL_PROJECTION_MATRIX

// Writes a size x size PNG of colour `fill` to path, creating its directory.
bool writeSolidPng(const QString &path, QRgb fill, int size = 16);
bool writePng(const QString &path, const QImage &image);
