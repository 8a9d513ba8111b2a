// SPDX-License-Identifier: MIT
// The display model's console: where its three screens lie in the display
// texture and where the live figures go on them. The asset generator paints
// the screens' art (frames, labels, rings) here without any figure; the
// client draws the figures over that art into the region at run time.
// Texels of the display texture at its stored size
// (layout::displayModel.textureSize), x to the right and y down from the
// image's top row. Plain numbers, like scenelayout.h.
#pragma once

namespace layout::console {

struct Rect
{
    int x, y, width, height;
};

// Top-left corner of a text drawn with the pixel font.
struct Spot
{
    int x, y;
};

constexpr Spot within(const Rect &screen, int dx, int dy)
{
    return {screen.x + dx, screen.y + dy};
}

// The screen face of the model: bezel and three screens. The client
// redraws exactly this region; every texel outside it stays as painted.
inline constexpr Rect region{0, 0, 1024, 128};
inline constexpr Rect targetListScreen{11, 10, 326, 105};
inline constexpr Rect scopeScreen{349, 10, 326, 105};
inline constexpr Rect statusScreen{687, 10, 326, 105};

// Texels per font dot of every label and figure on the list and status
// screens; whole texels keep the dots sharp.
inline constexpr int dot = 2;
// From a screen's left and right edges to its texts; a figure that would
// reach further is cut short.
inline constexpr int textMargin = 11;

// Target list: the label with the count beside it, a rule under them, and
// below it the first targets one per row.
inline constexpr Spot targetsLabel = within(targetListScreen, textMargin, 8);
inline constexpr Spot targetCount = within(targetListScreen, 107, 8);
inline constexpr int targetsRuleY = targetListScreen.y + 26;
inline constexpr Spot firstTargetRow = within(targetListScreen, textMargin, 34);
inline constexpr int targetRowPitch = 17;
inline constexpr int targetRows = 4;

// Status screen: a title, then three lines of a label and its figure.
inline constexpr Spot linkLabel = within(statusScreen, textMargin, 40);
inline constexpr Spot linkFigure = within(statusScreen, 71, 40);
inline constexpr Spot serverLabel = within(statusScreen, textMargin, 60);
inline constexpr Spot serverFigure = within(statusScreen, 71, 60);
inline constexpr Spot rateLabel = within(statusScreen, textMargin, 80);
inline constexpr Spot rateFigure = within(statusScreen, 71, 80);

// The screens' phosphor green (0xRRGGBB), in which the figures are drawn.
inline constexpr unsigned phosphorRgb = 0x5aff8c;

} // namespace layout::console
