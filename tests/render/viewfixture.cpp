#include "viewfixture.h"

#include "render/light.h"

#include <QDir>
#include <QFile>
#include <QPainter>

void LogicTestAccess::setTargets(Logic &logic, const std::vector<Target> &targets)
{
    for (size_t i = 0; i < targets.size(); ++i)
        logic.drawn.targets[i] = targets[i];
    logic.drawn.targetCount = int(targets.size());
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
    ASSERT_TRUE(writeSolidPng(textures + "radartischr2t.png", qRgba(0, 0, tableBlue, 255)));
    ASSERT_TRUE(writeSolidPng(textures + "radarr2t2.png", qRgba(0, 0, radarBlue, 255)));
    ASSERT_TRUE(writeSolidPng(textures + "radardisplay.png", qRgba(0, 0, displayBlue, 255)));

    // Each model a flat square with texture coordinates; fitting makes it
    // 2 x 2, placed and scaled by the view.
    const QByteArray square = "v -4 0 -4\nv 4 0 -4\nv 4 0 4\nv -4 0 4\n"
                              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                              "f 1/1 3/3 2/2\nf 1/1 4/4 3/3\n";
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/mdl"));
    for (const char *model : {"radar2.obj", "radartisch.obj", "radardisplay.obj"}) {
        QFile file(dir.path() + "/mdl/" + model);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(square), square.size());
    }

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
