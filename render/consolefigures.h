// SPDX-License-Identifier: MIT
// The live console's figures: what the display model's screens say about
// the client's state, as text, and their drawing over the screens' art.
// No GL: the view uploads the drawn region (LiveConsole).
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

struct LinkState;
struct RadarState;

// Each figure in capitals, as the pixel font draws them; an empty one is
// not drawn.
struct ConsoleFigures
{
    QString targetCount;    // the number of targets shown on the disc
    QStringList targetRows; // "01  X 0.21  Y 0.74" for each of the first targets
    QString link;           // "CONNECTED" or "WAITING"
    QString server;         // "HOST:PORT"
    QString rate;           // requests per second, "25.0/S"; empty until measured

    bool operator==(const ConsoleFigures &other) const;
    bool operator!=(const ConsoleFigures &other) const { return !(*this == other); }
};

ConsoleFigures consoleFigures(const RadarState &state, const LinkState &link);

// A figure longer than the room its screen leaves it (up to the text
// margin) is cut short and ends in this mark.
constexpr char cutMark = '>';

// Draws the figures with the pixel font, in the screens' phosphor, at their
// places in layout::console, over `region`: an image of exactly the console
// region (layout::console::region) holding its art.
void drawConsoleFigures(QImage &region, const ConsoleFigures &figures);
