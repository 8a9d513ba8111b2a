#include "viewfixture.h"

#include "render/light.h"

#include <QDir>
#include <QPainter>

void LogicTestAccess::setTargets(Logic &logic, const std::vector<Target> &targets)
{
    for (size_t i = 0; i < targets.size(); ++i)
        logic.targets[i] = targets[i];
    logic.numTargets = int(targets.size());
}

std::vector<GLuint> GLWidgetTestAccess::textures(GLWidget &view)
{
    return {view.radarTexture, view.tableTexture,   view.discTexture,
            view.sweepTexture, view.displayTexture, view.markerTexture};
}

void ViewTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(lightsInUseCount, 0);
    previousDir = QDir::currentPath();
    writeDataFiles();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    logic.reset(new Logic);
}

void ViewTest::TearDown()
{
    view.reset();
    EXPECT_EQ(lightsInUseCount, 0);
    QDir::setCurrent(previousDir);
}

void ViewTest::writeDataFiles()
{
    const QString textures = dir.path() + "/textures/";
    ASSERT_TRUE(writeSolidPng(textures + "person.png", qRgba(255, 255, 255, 255)));
    ASSERT_TRUE(writeSolidPng(textures + "radarscheibe.png", qRgba(0, 0, 255, 40)));
    for (const char *model : {"radarr2t2.png", "radartischr2t.png", "radardisplay.png"})
        ASSERT_TRUE(writeSolidPng(textures + model, qRgba(0, 0, 64, 255)));

    const int size = 64;
    QImage sweep(size, size, QImage::Format_ARGB32);
    sweep.fill(Qt::transparent);
    QPainter painter(&sweep);
    painter.fillRect(size / 2, 0, size / 2, size / 2, QColor(0, 255, 0, 255));
    painter.end();
    ASSERT_TRUE(writePng(textures + "radgreen.png", sweep));
}

bool ViewTest::showView()
{
    view.reset(new GLWidget(logic.get()));
    view->setFixedSize(viewWidth, viewHeight);
    view->show();
    if (!waitUntilMapped(*view))
        return false;
    view->updateGL(); // sets up on first use, then resizes and draws
    return GLWidgetTestAccess::light(*view) != nullptr;
}

QImage ViewTest::frame()
{
    view->makeCurrent();
    GLWidgetTestAccess::paint(*view);
    return readBackBuffer(view->width(), view->height());
}
