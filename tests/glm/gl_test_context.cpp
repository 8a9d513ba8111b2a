#include "gl_test_context.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

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

namespace {

int pinLibrary(struct dl_phdr_info *info, size_t, void *)
{
    if (info->dlpi_name && info->dlpi_name[0] != '\0')
        dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace

int runGlTests(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    // The GL driver is unloaded when the display closes; its process-lifetime
    // allocations would then be reported by the leak checker without a
    // library name to suppress them by. Keep every loaded library mapped.
    dl_iterate_phdr(pinLibrary, nullptr);
    return status;
}

} // namespace glmtest
