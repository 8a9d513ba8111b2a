// SPDX-License-Identifier: MIT
// A shown GLWidget drawing a RadarState that the test fills, in a temporary
// working directory holding the view's data files.
#pragma once

#include "gltestsupport.h"
#include "net/linkstate.h"
#include "net/radarstate.h"
#include "render/glwidget.h"
#include "render/scenelayout.h"
#include "render/sceneresources.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The view with its frame and resize steps callable directly.
class TestView : public GLWidget
{
public:
    using GLWidget::GLWidget;
    using GLWidget::paintGL;
    using GLWidget::resizeGL;
};

// The six texture names in loading order.
std::vector<GLuint> textureNames(const SceneTextures &textures);

// Texture colours of the test scene: markers opaque white, disc a faint
// blue, sweep transparent but for one opaque green quadrant, the three
// models three shades of blue. So red shows markers only and green the
// sweep or markers. Each model is a flat square, so fitted it spans
// [-1, 1] in x and z and is drawn as a square of side 2 x scale.
class ViewTest : public ::testing::Test
{
protected:
    static constexpr int viewWidth = 400;
    static constexpr int viewHeight = 400;
    static constexpr int tableBlue = 40;
    static constexpr int radarBlue = 90;
    static constexpr int displayBlue = 140;

    void SetUp() override;
    void TearDown() override;

    // Makes `path` the working directory until the test ends.
    void enter(const QString &path);
    // Writes the six textures and the three models.
    void writeDataFiles();
    void setTargets(const std::vector<Target> &targets);
    // Creates, shows and draws the view once at `size`, drawing `drawn`
    // (the fixture's state when null) and `link` on its console; false when
    // it never mapped or was not set up.
    bool showView(QSize size = QSize(viewWidth, viewHeight), const RadarState *drawn = nullptr,
                  const LinkState *link = nullptr);
    // Draws one frame with the view's context current and reads it back.
    QImage frame();
    const SceneResources &scene() const { return *view->scene(); }

    QTemporaryDir dir;
    QString previousDir;
    RadarState state;
    std::unique_ptr<TestView> view;
};

// The scene as the demo shows it: the build's run directory, with the
// generated models and textures, on a screen of the size the client fills.
class DemoViewTest : public ViewTest
{
protected:
    static constexpr int demoWidth = 1280;
    static constexpr int demoHeight = 720;

    void SetUp() override;
};
