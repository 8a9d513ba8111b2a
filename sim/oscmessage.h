// SPDX-License-Identifier: MIT
// One OSC message as the TUIO bridge reads it, already decoded from the wire
// (by liblo): its address and its arguments. Each argument keeps its OSC
// type tag, so that a reader can insist on the types a format prescribes.
#pragma once

#include <QByteArray>
#include <QVector>

struct OscArgument
{
    char type = 0;  // the OSC type tag: 'i' int32, 'f' float32, 's' string, or any other
    qint32 i = 0;   // for 'i'
    float f = 0.0f; // for 'f'
    QByteArray s;   // for 's'
};

struct OscMessage
{
    QByteArray path; // the OSC address, e.g. "/tuio/2Dcur"
    QVector<OscArgument> args;
};
