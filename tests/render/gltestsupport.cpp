#include "gltestsupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>

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

namespace {

// Mesa unloads its driver when the display closes; the sanitizer's leak
// report then shows the driver's process-lifetime allocations with no module
// name, and the suppressions for the driver no longer apply. Keep it loaded.
void pinGLDrivers()
{
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
                static_cast<std::vector<std::string> *>(data)->push_back(info->dlpi_name);
            return 0;
        },
        &drivers);
    for (const std::string &driver : drivers)
        dlopen(driver.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    pinGLDrivers();
    return result;
}
