// SPDX-License-Identifier: MIT
// Where one connection's reply blocks come from.
//
// A connection asks its reply source for the block that answers each request
// byte, in order. Encoded replies build it from a target source's frame at
// the moment of asking; a replayed recording hands out recorded bytes, each
// with the time before which it must not be sent.
#pragma once

#include "sim/blockencoder.h"

#include <QByteArray>

#include <functional>
#include <optional>

class TargetSource;

struct Reply
{
    QByteArray block; // the whole block, size field first
    qint64 dueMs = 0; // not before this many ms after the connection was accepted
};

class ReplySource
{
public:
    virtual ~ReplySource() = default;

    // The reply to the next request; nothing when the source has run out
    // and the connection should close.
    virtual std::optional<Reply> nextReply() = 0;
};

// Blocks encoded from `source`'s frame at `clock()` seconds, due at once.
// `source` and `clock` must outlive it; `overcount` as for BlockEncoder.
class EncodedReplies : public ReplySource
{
public:
    EncodedReplies(TargetSource &source, std::function<double()> clock, int overcount = 0);
    std::optional<Reply> nextReply() override;

private:
    TargetSource &source;
    std::function<double()> clock;
    BlockEncoder encoder;
};
