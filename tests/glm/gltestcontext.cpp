// SPDX-License-Identifier: MIT
#include "gltestcontext.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <gtest/gtest.h>

#include "keeplibraries.h"

namespace glmtest {

GlTestContext::GlTestContext()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(format);
    surface->create();
    context = std::make_unique<QOpenGLContext>();
    context->setFormat(format);
    context->create();
}

GlTestContext::~GlTestContext()
{
    if (context)
        context->doneCurrent();
}

bool GlTestContext::isValid() const
{
    return surface->isValid() && context->isValid();
}

bool GlTestContext::makeCurrent()
{
    return context->makeCurrent(surface.get());
}

void GlTestContext::doneCurrent()
{
    context->doneCurrent();
}

int runGlTests(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    keepLoadedLibrariesMapped();
    return status;
}

} // namespace glmtest
