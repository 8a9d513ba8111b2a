// SPDX-License-Identifier: MIT
// Watches the screen of the X display ($DISPLAY) for a client's first
// frame, from the outside: the client is not changed in any way.
//
// The X server reports every change of the screen's contents through the
// DAMAGE extension (on the root window); on each report, and at least every
// few milliseconds in case a report is merged away, three full-width rows
// of the screen (at 1/4, 1/2 and 3/4 of its height) are read back. The
// screen counts as
//   blank    while the rows hold one colour (the black root of "Xvfb -br"),
//   changed  once they differ from blank (the window's background shows, or
//            anything else),
//   a scene  once they hold at least minSceneColours distinct colours: a
//            textured 3D frame has many; a window background, or a black
//            GL area beside it, has one or two.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <functional>

class FrameWatcher
{
public:
    static const int minSceneColours = 8;
    static const int pollIntervalMs = 5;

    FrameWatcher() = default;
    ~FrameWatcher();
    FrameWatcher(const FrameWatcher &) = delete;
    FrameWatcher &operator=(const FrameWatcher &) = delete;

    // False with a message when the display or the extension is missing.
    bool open();
    int screenWidth() const { return width; }
    int screenHeight() const { return height; }

    struct Times
    {
        double firstChangeMs = -1.0; // first sample that was not blank
        double sceneMs = -1.0;       // first sample that showed a scene
    };

    // Waits for a scene, timing from startNs (CLOCK_MONOTONIC). The time of
    // a sample is taken after it was read back, so a figure never
    // undercounts. False on timeout, or as soon as stillRunning() is false.
    bool waitForScene(long long startNs, int timeoutMs, const std::function<bool()> &stillRunning,
                      Times &times);
    // True when a viewable child of the root covers the whole screen, as
    // the client's full-screen window does under a window manager (an error
    // box does not).
    bool fullScreenWindowShown();

    // Waits until the screen is blank (again) and remembers its colour;
    // false on timeout. Call it before each waitForScene.
    bool waitForBlank(int timeoutMs);

    static long long nowNs();

private:
    // Distinct colours in the sampled rows, up to minSceneColours; the
    // first sampled pixel goes to first.
    int sampleColours(unsigned long *first);
    void drainEvents();
    void waitForActivity(int timeoutMs);

    Display *display = nullptr;
    Window root = 0;
    Damage damage = 0;
    int damageEventBase = 0;
    int width = 0;
    int height = 0;
    unsigned long blankPixel = 0;
};
