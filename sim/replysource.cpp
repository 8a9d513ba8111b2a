// SPDX-License-Identifier: MIT
#include "sim/replysource.h"

#include "sim/targetsource.h"

EncodedReplies::EncodedReplies(TargetSource &source, std::function<double()> clock, int overcount)
    : source(source), clock(std::move(clock)), encoder(overcount)
{
}

std::optional<Reply> EncodedReplies::nextReply()
{
    return Reply{encoder.nextBlock(source.targetsAt(clock())), 0};
}
