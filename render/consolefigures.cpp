// SPDX-License-Identifier: MIT
#include "render/consolefigures.h"

#include "net/linkstate.h"
#include "net/radarstate.h"
#include "render/consolelayout.h"
#include "render/pixelfont.h"

#include <QPainter>

#include <algorithm>

namespace {

namespace console = layout::console;

constexpr int rowNumberDigits = 2;
constexpr int coordinateDecimals = 2;
constexpr int rateDecimals = 1;
constexpr int decimalBase = 10;

QString coordinate(float value)
{
    return QString::number(double(value), 'f', coordinateDecimals).toUpper();
}

// The right end of the room for texts on the screen a spot lies on.
int textLimit(const console::Spot &at)
{
    for (const console::Rect &screen :
         {console::targetListScreen, console::scopeScreen, console::statusScreen})
        if (at.x >= screen.x && at.x < screen.x + screen.width)
            return screen.x + screen.width - console::textMargin;
    return console::region.x + console::region.width;
}

// Cut to the room left of the limit, the cut marked; the room holds at
// least the mark.
QString fitted(QString text, const console::Spot &at)
{
    const double room = textLimit(at) - at.x;
    if (pixelTextWidth(text, console::dot) <= room)
        return text;
    while (!text.isEmpty() && pixelTextWidth(text + QChar(cutMark), console::dot) > room)
        text.chop(1);
    return text + QChar(cutMark);
}

void draw(QPainter &painter, const console::Spot &at, const QString &text)
{
    const QPointF topLeft(at.x - console::region.x, at.y - console::region.y);
    drawPixelText(painter, topLeft, console::dot, fitted(text, at),
                  QColor::fromRgb(console::phosphorRgb));
}

} // namespace

bool ConsoleFigures::operator==(const ConsoleFigures &other) const
{
    return targetCount == other.targetCount && targetRows == other.targetRows &&
           link == other.link && server == other.server && rate == other.rate;
}

ConsoleFigures consoleFigures(const RadarState &state, const LinkState &link)
{
    ConsoleFigures figures;
    figures.targetCount = QString::number(state.targetCount);
    const int rows = std::min(state.targetCount, console::targetRows);
    for (int i = 0; i < rows; ++i) {
        const Target &t = state.targets[i];
        figures.targetRows.append(QString("%1  X %2  Y %3")
                                      .arg(i + 1, rowNumberDigits, decimalBase, QChar('0'))
                                      .arg(coordinate(t.x), coordinate(t.y)));
    }
    figures.link = link.status == LinkState::Status::connected ? "CONNECTED" : "WAITING";
    figures.server = QString::fromStdString(link.server).toUpper();
    if (link.rateMeasured)
        figures.rate = QString::number(link.requestsPerSecond, 'f', rateDecimals) + "/S";
    return figures;
}

void drawConsoleFigures(QImage &region, const ConsoleFigures &figures)
{
    QPainter painter(&region);
    draw(painter, console::targetCount, figures.targetCount);
    for (int i = 0; i < figures.targetRows.size(); ++i) {
        const console::Spot row{console::firstTargetRow.x,
                                console::firstTargetRow.y + i * console::targetRowPitch};
        draw(painter, row, figures.targetRows[i]);
    }
    draw(painter, console::linkFigure, figures.link);
    draw(painter, console::serverFigure, figures.server);
    draw(painter, console::rateFigure, figures.rate);
}
