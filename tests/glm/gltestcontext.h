// SPDX-License-Identifier: MIT
// A real OpenGL context (compatibility, so the fixed-function pipeline and
// feedback mode are there) on an offscreen surface of the test display. The
// test program's main() creates the QGuiApplication first.
#pragma once

#include <memory>

class QOffscreenSurface;
class QOpenGLContext;

namespace glmtest {

class GlTestContext
{
public:
    GlTestContext();
    ~GlTestContext();
    GlTestContext(const GlTestContext &) = delete;
    GlTestContext &operator=(const GlTestContext &) = delete;

    bool isValid() const;
    bool makeCurrent();
    void doneCurrent();

private:
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> context;
};

// Runs the tests of a program that needs a GL context: creates the
// application object, then runs every registered test.
int runGlTests(int argc, char **argv);

} // namespace glmtest
