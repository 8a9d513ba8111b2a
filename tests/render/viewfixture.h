// A shown GLWidget over a Logic whose targets and angle the test sets, in a
// temporary working directory holding the view's data files.
#pragma once

#include "gltestsupport.h"
#include "net/logic.h"
#include "render/glwidget.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

class DisplayList;
class PointLight;
struct ObjModel;

class LogicTestAccess
{
public:
    static void setTargets(Logic &logic, const std::vector<Target> &targets);
    static void setAngle(Logic &logic, double angle) { logic.drawn.sweepAngle = angle; }
};

class GLWidgetTestAccess
{
public:
    static void paint(GLWidget &view) { view.paintGL(); }
    static void resize(GLWidget &view, int width, int height) { view.resizeGL(width, height); }
    static PointLight *light(GLWidget &view) { return view.light; }
    static DisplayList *markerList(GLWidget &view) { return view.markerList; }
    static DisplayList *discList(GLWidget &view) { return view.discList; }
    static DisplayList *sweepList(GLWidget &view) { return view.sweepList; }
    static std::vector<GLuint> textures(GLWidget &view);
    static std::vector<ObjModel *> models(GLWidget &view)
    {
        return {view.radarModel, view.tableModel, view.displayModel};
    }
};

// Texture colours of the test scene: markers opaque white, disc a faint
// blue, sweep transparent but for one opaque green quadrant, the three
// models three shades of blue. So red shows markers only and green the
// sweep or markers.
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

    // Writes the six textures (and the models, once the view reads them).
    void writeDataFiles();
    // Creates, shows and draws the view once; false when it never mapped.
    bool showView();
    // Draws one frame with the view's context current and reads it back.
    QImage frame();

    QTemporaryDir dir;
    QString previousDir;
    std::unique_ptr<Logic> logic;
    std::unique_ptr<GLWidget> view;
};
