// SPDX-License-Identifier: MIT
#include "bench/framewatcher.h"

#include <X11/Xutil.h>
#include <poll.h>
#include <time.h>

#include <cstdio>

namespace {

const int sampledRows = 3; // at 1/4, 2/4 and 3/4 of the height
const int rowFractions = 4;
const long long nanosecondsPerMs = 1000000;

// Windows come and go while the client starts; a query about one that has
// just gone must not end the probe (Xlib's default handler exits).
int ignoreXErrors(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

FrameWatcher::~FrameWatcher()
{
    if (!display)
        return;
    if (damage)
        XDamageDestroy(display, damage);
    XCloseDisplay(display);
}

long long FrameWatcher::nowNs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

bool FrameWatcher::open()
{
    XSetErrorHandler(ignoreXErrors);
    display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the X display (is DISPLAY set?)\n");
        return false;
    }
    int errorBase = 0;
    if (!XDamageQueryExtension(display, &damageEventBase, &errorBase)) {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return false;
    }
    root = DefaultRootWindow(display);
    width = DisplayWidth(display, DefaultScreen(display));
    height = DisplayHeight(display, DefaultScreen(display));
    damage = XDamageCreate(display, root, XDamageReportNonEmpty);
    XSync(display, False);
    return true;
}

int FrameWatcher::sampleColours(unsigned long *first)
{
    unsigned long seen[minSceneColours] = {0};
    int distinct = 0;
    for (int r = 1; r <= sampledRows && distinct < minSceneColours; ++r) {
        XImage *row = XGetImage(display, root, 0, height * r / rowFractions, unsigned(width), 1,
                                AllPlanes, ZPixmap);
        if (!row)
            continue;
        for (int x = 0; x < width && distinct < minSceneColours; ++x) {
            const unsigned long pixel = XGetPixel(row, x, 0);
            bool known = false;
            for (int i = 0; i < distinct && !known; ++i)
                known = seen[i] == pixel;
            if (!known)
                seen[distinct++] = pixel;
        }
        XDestroyImage(row);
    }
    *first = seen[0];
    return distinct;
}

void FrameWatcher::drainEvents()
{
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
    // Re-arms the report for the next change.
    XDamageSubtract(display, damage, None, None);
    XFlush(display);
}

void FrameWatcher::waitForActivity(int timeoutMs)
{
    if (XPending(display))
        return;
    pollfd p{ConnectionNumber(display), POLLIN, 0};
    poll(&p, 1, timeoutMs);
}

bool FrameWatcher::waitForScene(long long startNs, int timeoutMs,
                                const std::function<bool()> &stillRunning, Times &times)
{
    times = Times();
    const long long deadline = startNs + timeoutMs * nanosecondsPerMs;
    while (nowNs() < deadline) {
        waitForActivity(pollIntervalMs);
        drainEvents();
        unsigned long pixel = 0;
        const int colours = sampleColours(&pixel);
        const double elapsedMs = double(nowNs() - startNs) / double(nanosecondsPerMs);
        if ((colours > 1 || pixel != blankPixel) && times.firstChangeMs < 0)
            times.firstChangeMs = elapsedMs;
        if (colours >= minSceneColours) {
            times.sceneMs = elapsedMs;
            return true;
        }
        if (!stillRunning())
            return false;
    }
    return false;
}

bool FrameWatcher::waitForBlank(int timeoutMs)
{
    const long long deadline = nowNs() + timeoutMs * nanosecondsPerMs;
    while (nowNs() < deadline) {
        drainEvents();
        if (sampleColours(&blankPixel) <= 1)
            return true;
        waitForActivity(pollIntervalMs);
    }
    return false;
}

bool FrameWatcher::fullScreenWindowShown()
{
    Window rootReturn = 0, parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        found = XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable && attributes.x <= 0 && attributes.y <= 0 &&
                attributes.x + attributes.width >= width &&
                attributes.y + attributes.height >= height;
    }
    if (children)
        XFree(children);
    return found;
}
