// SPDX-License-Identifier: MIT
// Scenario files: targets on straight legs through the unit square.
//
// One line per leg; blank lines and everything after '#' are ignored; fields
// are separated by blanks; numbers use a decimal point whatever the locale.
// A UTF-8 byte-order mark at the start is skipped.
//
//   START X0 Y0 X1 Y1 speed SPEED VALUE [repeat N [every DT] [shift DX DY]]
//   START X0 Y0 X1 Y1 for SECONDS VALUE [repeat N [every DT] [shift DX DY]]
//   loop [PERIOD]
//
// A leg's target exists from START (seconds, >= 0) until the leg ends, moving
// at an even pace from (X0, Y0) to (X1, Y1), all in [0, 1]. Its end is START
// plus SECONDS (> 0), or plus the leg's length divided by SPEED (unit-square
// lengths per second, > 0; the leg must move). VALUE (0 to 65535) goes into
// every record of the target. A repeat makes N copies of the leg (N >= 1);
// copy i starts i * DT seconds later (DT >= 0, default 0), is moved by
// i * (DX, DY) (default none; every copy must stay in the unit square) and
// carries VALUE + i (at most 65535); like the line itself, every copy must
// start at a finite time and last a moment after it.
//
// Without a loop line the scenario runs once and then sends empty blocks.
// "loop" repeats it for ever with the period given, or, without one, with the
// end of its last leg; every leg must end within the period.
//
// The targets of a frame are the legs alive at that time (START <= t < end),
// in the order of the file, copies in their order. At most
// wire::maxRecordsPerBlock may be alive at once: a block holds no more.
#pragma once

#include "sim/simtarget.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

struct ScenarioLeg
{
    double start = 0.0, end = 0.0; // seconds, start < end
    double x0 = 0.0, y0 = 0.0;     // where the target is at `start`
    double x1 = 0.0, y1 = 0.0;     // where it would be at `end`
    quint16 value = 0;
    int line = 0; // 1-based line of the file it came from
};

struct Scenario
{
    static constexpr int maxLegs = 100000;           // copies included
    static constexpr qint64 maxFileBytes = 16 << 20; // well above any hand-written file

    QVector<ScenarioLeg> legs;
    double loopSeconds = 0.0; // 0: runs once

    // The targets alive `seconds` after the start (>= 0).
    QVector<SimTarget> targetsAt(double seconds) const;
};

struct ScenarioParse
{
    std::optional<Scenario> scenario; // set when the file is valid
    QString error;                    // else "FILE:LINE: message" or "FILE: message"
};

// Parses a scenario file's bytes; `fileName` only names it in errors.
ScenarioParse parseScenario(const QByteArray &text, const QString &fileName);
