// SPDX-License-Identifier: MIT
// Faults radarsim can put into its replies on purpose, so that clients and
// probes can be tested against a misbehaving server and operators can
// reproduce trouble. Each `--fault` option names one mode; modes of
// different kinds combine.
//
// split[:MS]        every block goes out one byte per write, MS ms apart
//                   (default 1; 0 writes them back to back, which the
//                   receiving side may join again). Legal on TCP, only slow.
// delay:MS          every block is written in two halves, the second MS ms
//                   after the first. Legal on TCP, only slow.
// drop:N            the connection is closed after N whole blocks (N >= 0).
// badsize[:DELTA]   every block's size field is off by DELTA (non-zero,
//                   default 2), modulo 65536; the block itself is unchanged.
// overcount[:COUNT] every block claims COUNT records (6554 to 65535, default
//                   65535) and carries all of them, repeating the frame's
//                   targets; the size field keeps its low 16 bits.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct FaultPlan
{
    static constexpr int defaultSplitGapMs = 1;
    static constexpr int defaultSizeDelta = 2;
    static constexpr int defaultOvercount = 0xffff;
    static constexpr int minOvercount = 6554; // one more than a size field can describe
    static constexpr int maxOvercount = 0xffff;
    static constexpr int maxMs = 60 * 60 * 1000; // an hour: any longer is a typo

    std::optional<int> splitGapMs; // ms between single bytes
    std::optional<int> delayMs;    // pause in the middle of each block
    std::optional<int> dropAfter;  // blocks before the connection closes
    int sizeDelta = 0;             // added to every size field; 0: none
    int overcount = 0;             // records every block claims and carries; 0: none

    bool any() const
    {
        return splitGapMs || delayMs || dropAfter || sizeDelta != 0 || overcount != 0;
    }
    // Faults that change how bytes are written rather than which bytes.
    bool shapesDelivery() const { return splitGapMs || delayMs; }
};

// Adds one `--fault` value to `plan`. Returns an empty string on success,
// otherwise one line naming the mistake (an unknown mode, a bad parameter,
// or a mode given twice).
QString addFault(FaultPlan &plan, const QString &spec);

// The modes for --help, one per line.
QString faultModesHelp();

// Adds `delta` to the 16-bit size field at the start of `block` (mod 65536).
// Blocks shorter than a size field are left alone.
void applySizeDelta(QByteArray &block, int delta);
