// SPDX-License-Identifier: MIT
#include "viewfixture.h"

#include "render/light.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

std::vector<GLuint> textureNames(const SceneTextures &t)
{
    return {t.radar, t.table, t.disc, t.sweep, t.display, t.marker};
}

void ViewTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    writeDataFiles();
    enter(dir.path());
}

void ViewTest::enter(const QString &path)
{
    ASSERT_EQ(lightsInUseCount, 0);
    previousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(path));
}

void DemoViewTest::SetUp()
{
    enter(QString::fromLocal8Bit(RADAR_RUN_DIR_PATH));
}

void ViewTest::TearDown()
{
    view.reset();
    EXPECT_EQ(lightsInUseCount, 0);
    QDir::setCurrent(previousDir);
}

void ViewTest::writeDataFiles()
{
    const auto path = [this](const char *relative) {
        return dir.filePath(QString::fromLatin1(relative));
    };
    ASSERT_TRUE(writeSolidPng(path(layout::markerTextureFile), qRgba(255, 255, 255, 255)));
    ASSERT_TRUE(writeSolidPng(path(layout::discTextureFile), qRgba(0, 0, 255, 40)));
    ASSERT_TRUE(writeSolidPng(path(layout::tableModel.textureFile), qRgba(0, 0, tableBlue, 255)));
    ASSERT_TRUE(writeSolidPng(path(layout::radarModel.textureFile), qRgba(0, 0, radarBlue, 255)));
    ASSERT_TRUE(
        writeSolidPng(path(layout::displayModel.textureFile), qRgba(0, 0, displayBlue, 255)));

    // Each model a flat square with texture coordinates; fitting makes it
    // 2 x 2, placed and scaled by the view.
    const QByteArray square = "v -4 0 -4\nv 4 0 -4\nv 4 0 4\nv -4 0 4\n"
                              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                              "f 1/1 3/3 2/2\nf 1/1 4/4 3/3\n";
    for (const layout::SceneModel &model :
         {layout::radarModel, layout::tableModel, layout::displayModel}) {
        const QString file = path(model.modelFile);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(square), square.size());
    }

    const int size = 64;
    QImage sweep(size, size, QImage::Format_ARGB32);
    sweep.fill(Qt::transparent);
    QPainter painter(&sweep);
    painter.fillRect(size / 2, 0, size / 2, size / 2, QColor(0, 255, 0, 255));
    painter.end();
    ASSERT_TRUE(writePng(path(layout::sweepTextureFile), sweep));
}

void ViewTest::setTargets(const std::vector<Target> &targets)
{
    std::copy(targets.begin(), targets.end(), state.targets);
    state.targetCount = int(targets.size());
}

bool ViewTest::showView(QSize size, const RadarState *drawn, const LinkState *link)
{
    view.reset(new TestView(drawn ? drawn : &state, link));
    view->setFixedSize(size);
    view->show();
    if (!waitUntilMapped(*view))
        return false;
    view->updateGL(); // sets up on first use, then resizes and draws
    return view->scene() != nullptr;
}

QImage ViewTest::frame()
{
    view->makeCurrent();
    view->paintGL();
    return readBackBuffer(view->width(), view->height());
}
