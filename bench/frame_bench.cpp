// SPDX-License-Identifier: MIT
// Three figures per target count: paintGL alone followed by glFinish (the
// drawing, with Mesa's deferred rasterisation forced to complete), and
// updateGL (paintGL plus the buffer swap, what the client does each tick).
// A clear-only frame gives the fixed cost of the window's pixels.
#include "bench/frame_bench.h"

#include "bench/memoryconditions.h"

#include "glm/glm.h"
#include "net/radarstate.h"
#include "render/glwidget.h"
#include "render/scenemodels.h"
#include "render/sceneresources.h"

#include <QApplication>
#include <QElapsedTimer>

#include <GL/gl.h>

#include <time.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The view with its frame step callable directly.
class BenchView : public GLWidget
{
public:
    using GLWidget::GLWidget;
    using GLWidget::paintGL;
};

// Fills the table as a decoded block would: a deterministic spread over the
// unit square.
void setTargets(RadarState &drawn, int count)
{
    quint32 state = 2024;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u; // LCG
        drawn.targets[i].x = float(state >> 8) / float(1 << 24);
        state = state * 1664525u + 1013904223u;
        drawn.targets[i].y = float(state >> 8) / float(1 << 24);
        drawn.targets[i].value = float(i + 1);
    }
    drawn.targetCount = count;
}

// Triangles of the three scene models; 0 while they are not read.
std::size_t modelTriangles(const GLWidget &view)
{
    if (!view.scene())
        return 0;
    const SceneModels &models = view.scene()->models();
    std::size_t triangles = 0;
    for (const ObjModel *model : {models.table(), models.radar(), models.display()})
        triangles += model->facecount;
    return triangles;
}

const int frameWidth = 1280;
const int frameHeight = 720;
const int setUpTimeoutMs = 10000;
const int eventSliceMs = 50;
const double maxFrameSeconds = 20e-3; // one tick
const double millisecondsPerSecond = 1e3;
const std::vector<int> fullCounts = {0, 100, 1000, wire::maxRecordsPerBlock};
const std::vector<int> smokeCounts = {0, wire::maxRecordsPerBlock};
const int smokeIterations = 3;

std::unique_ptr<RadarState> drawn;
std::unique_ptr<BenchView> view;
std::vector<int> counts;

std::string paintName(int count)
{
    return "frame/paintGL/" + std::to_string(count);
}

std::string updateName(int count)
{
    return "frame/updateGL/" + std::to_string(count);
}

const char *const clearName = "frame/clear_only";

double processCpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// CPU time of all threads, Mesa's rasterizer threads included, per
// iteration: unlike the wall time it hardly depends on other load.
void countProcessCpu(benchmark::State &state, double startSeconds)
{
    if (state.iterations() > 0)
        state.counters["cpu_ms_all_threads"] = (processCpuSeconds() - startSeconds) /
                                               double(state.iterations()) * millisecondsPerSecond;
}

bool glClean(benchmark::State &state)
{
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return true;
    state.SkipWithError(printed("GL error 0x%x", error).c_str());
    return false;
}

void benchPaint(benchmark::State &state, int count)
{
    setTargets(*drawn, count);
    view->makeCurrent();
    glGetError();
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        view->paintGL();
        glFinish();
    }
    countProcessCpu(state, cpuStart);
    if (glClean(state))
        state.counters["targets"] = count;
}

void benchUpdate(benchmark::State &state, int count)
{
    if (!view->testAttribute(Qt::WA_Mapped)) {
        state.SkipWithError("the view is not mapped: updateGL would draw nothing");
        return;
    }
    setTargets(*drawn, count);
    view->makeCurrent();
    glGetError();
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        view->updateGL();
        glFinish();
    }
    countProcessCpu(state, cpuStart);
    if (glClean(state))
        state.counters["targets"] = count;
}

void benchClear(benchmark::State &state)
{
    view->makeCurrent();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
    }
    glClean(state);
}

} // namespace

bool setUpFrameBenchmarks(const BenchOptions &options)
{
    counts = options.smoke ? smokeCounts : fullCounts;
    drawn = std::make_unique<RadarState>();
    view = std::make_unique<BenchView>(drawn.get());
    view->resize(frameWidth, frameHeight);
    view->show();
    QElapsedTimer clock;
    clock.start();
    // updateGL draws only once the window is mapped.
    auto ready = [] { return view->testAttribute(Qt::WA_Mapped) && view->scene() != nullptr; };
    while (!ready() && clock.elapsed() < setUpTimeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, eventSliceMs);
    if (!ready()) {
        std::fprintf(stderr, "the view was not mapped and set up within %d ms\n", setUpTimeoutMs);
        return false;
    }
    if (view->width() != frameWidth || view->height() != frameHeight) {
        std::fprintf(stderr, "the view is %d x %d, not %d x %d\n", view->width(), view->height(),
                     frameWidth, frameHeight);
        return false;
    }
    return true;
}

void registerFrameBenchmarks(const BenchOptions &options)
{
    benchmark::internal::Benchmark *clear = benchmark::RegisterBenchmark(clearName, benchClear);
    clear->Unit(benchmark::kMillisecond)->UseRealTime();
    if (options.smoke)
        clear->Iterations(smokeIterations);
    for (int count : counts) {
        for (benchmark::internal::Benchmark *b :
             {benchmark::RegisterBenchmark(paintName(count).c_str(), benchPaint, count),
              benchmark::RegisterBenchmark(updateName(count).c_str(), benchUpdate, count)}) {
            b->Unit(benchmark::kMillisecond)->UseRealTime();
            if (options.smoke)
                b->Iterations(smokeIterations);
        }
    }
}

void summarizeFrame(const ResultStore &results, const BenchOptions &options, FigureTable &table)
{
    const std::size_t triangles = modelTriangles(*view);
    table.figure("Scene models drawn (immediate mode)",
                 triangles > 0 ? printed("yes, %zu triangles in all", triangles)
                               : std::string("**no**: the view read no models"));
    const double clear = results.seconds(clearName);
    table.figure("glClear + glFinish only, 1280 x 720",
                 clear > 0 ? duration(clear) : std::string("not measured"));
    for (int count : counts) {
        const double paint = results.seconds(paintName(count));
        const double update = results.seconds(updateName(count));
        table.figure(
            printed("Frame with %d targets: paintGL + glFinish / updateGL (with swap)", count),
            paint > 0 && update > 0
                ? printed("%s / %s (CPU of all threads per updateGL: %.1f ms)",
                          duration(paint).c_str(), duration(update).c_str(),
                          results.counter(updateName(count), "cpu_ms_all_threads"))
                : std::string("not measured"));
    }
    if (options.smoke)
        return;
    const int most = counts.back();
    const std::string what =
        printed("Frame with %d targets (updateGL, 1280 x 720), ", most) + currentMemoryTitle();
    const std::string required = printed("<= %.0f ms", maxFrameSeconds * millisecondsPerSecond);
    const double update = results.seconds(updateName(most));
    if (update <= 0)
        table.targetNotMeasured(what, required, "not run");
    else
        table.target(what + (triangles > 0 ? "" : ", **without scene models**"),
                     printed("%.2f ms", update * millisecondsPerSecond), required,
                     update <= maxFrameSeconds);
}

void tearDownFrameBenchmarks()
{
    view.reset();
    drawn.reset();
}
