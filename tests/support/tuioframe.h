// SPDX-License-Identifier: MIT
// Test support: TUIO 1.1 frames as a tracker sends them, one OSC bundle each
// (source, alive, set..., fseq), made with liblo.
#pragma once

#include <QByteArray>
#include <QVector>

struct TuioSet
{
    qint32 session = 0;
    float x = 0.0f, y = 0.0f;
    qint32 classId = 0; // /tuio/2Dobj only
};

struct TuioFrame
{
    QByteArray profile = "/tuio/2Dcur"; // or /tuio/2Dobj, /tuio/2Dblb
    QByteArray source;                  // empty: no source message
    QVector<qint32> alive;
    QVector<TuioSet> sets;
    qint32 fseq = 0;
};

// The frame's bundle, with an immediate time tag, as it goes on the wire.
QByteArray tuioBundle(const TuioFrame &frame);
