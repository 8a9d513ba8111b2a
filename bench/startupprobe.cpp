// SPDX-License-Identifier: MIT
// radar_startup_probe: process start to first frame of the real client.
//
// radarsim is started first and listens on a free loopback port. For each
// start, a scratch working directory holds links to the run directory's
// mdl/ and textures/ and a clientSettings.xml naming that port; the clock
// starts just before fork and exec of radarclient there, unchanged and in
// the probe's own environment (so in its memory condition), and stops when the screen shows its
// first frame (FrameWatcher). The client is then ended with SIGTERM. Run on an X display of its own
// with a window manager, so the window is full screen as in use. Qt's headers come before Xlib's
// (framewatcher.h), whose macros break them.
#include "radarsimprocess.h"
#include "workdir.h"

#include <QCoreApplication>
#include <QProcess>

#include "bench/childprocess.h"
#include "bench/framewatcher.h"
#include "bench/machinefacts.h"
#include "bench/memoryconditions.h"
#include "bench/results.h"
#include "bench/startupprobeoptions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int blankTimeoutMs = 5000;
const double maxStartupMs = 300.0;

std::string listOf(const std::vector<double> &values)
{
    std::string text;
    for (double v : values)
        text += (text.empty() ? "" : ", ") + printed("%.0f", v);
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    int exitStatus = 0;
    if (!enterMemoryCondition(argc, argv, exitStatus))
        return exitStatus;
    StartupProbeOptions options;
    if (!parseStartupProbeOptions(argc, argv, options))
        return 2;
    // The client and the simulator start in other directories.
    char *absolute = realpath(options.runDir.c_str(), nullptr);
    if (!absolute) {
        std::perror(options.runDir.c_str());
        return 1;
    }
    options.runDir = absolute;
    std::free(absolute);
    FrameWatcher watcher;
    if (!watcher.open())
        return 1;

    // For radarsim's process; no event loop runs.
    QCoreApplication application(argc, argv);
    const QString runDir = QString::fromStdString(options.runDir);
    RadarSimProcess sim(runDir + "/radarsim");
    sim.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!sim.start({"--targets", QString::number(options.simTargets)})) {
        std::fprintf(stderr, "radarsim did not start listening\n");
        return 1;
    }
    WorkDir scratch(runDir);
    if (!scratch.isValid() || !scratch.writeSettings(sim.port, "<timeToLive>0</timeToLive>")) {
        std::fprintf(stderr, "cannot prepare a working directory for the client\n");
        return 1;
    }
    const std::string clientDirectory = scratch.path().toStdString();

    std::vector<double> changes, scenes;
    for (int run = 0; run < options.warmUpRuns + options.runs; ++run) {
        if (!watcher.waitForBlank(blankTimeoutMs)) {
            std::fprintf(stderr, "the screen does not go blank (start Xvfb with -br)\n");
            return 1;
        }
        ChildProcess client;
        const long long start = FrameWatcher::nowNs();
        if (!client.start({options.runDir + "/radarclient"}, clientDirectory)) {
            std::fprintf(stderr, "cannot start radarclient\n");
            return 1;
        }
        FrameWatcher::Times times;
        const bool shown = watcher.waitForScene(
            start, options.timeoutMs, [&client] { return client.running(); }, times);
        const bool fullScreen = shown && watcher.fullScreenWindowShown();
        client.stop();
        if (!shown || !fullScreen) {
            std::fprintf(stderr, "start %d: %s\n", run + 1,
                         shown ? "the frame is not in a full-screen window (an error box?)"
                               : "no frame within the time-out (or the client ended)");
            return 1;
        }
        const bool counted = run >= options.warmUpRuns;
        std::printf("start %d%s: window content after %.1f ms, first frame after %.1f ms\n",
                    run + 1, counted ? "" : " (warm-up)", times.firstChangeMs, times.sceneMs);
        if (counted) {
            changes.push_back(times.firstChangeMs);
            scenes.push_back(times.sceneMs);
        }
    }
    sim.stop();

    FigureTable table("Start-up (radarclient from the run directory, radarsim listening), " +
                      currentMemoryTitle());
    const double sceneMedian = medianOf(scenes);
    table.figure(printed("Process start to first frame, median of %d (ms)", options.runs),
                 printed("%.0f ms (min %.0f, max %.0f; all: %s)", sceneMedian,
                         *std::min_element(scenes.begin(), scenes.end()),
                         *std::max_element(scenes.begin(), scenes.end()), listOf(scenes).c_str()));
    table.figure("Process start to the window's first pixels (background), median",
                 printed("%.0f ms", medianOf(changes)));
    addMachineFacts(table);
    if (!options.smoke)
        table.target("Start-up: process start to first frame (median), " + currentMemoryTitle(),
                     printed("%.0f ms", sceneMedian), printed("<= %.0f ms", maxStartupMs),
                     sceneMedian <= maxStartupMs);
    table.publish(options.tableOut, targetsPathFor(options.tableOut));
    return 0;
}
