// SPDX-License-Identifier: MIT
#include "sim/replay.h"

#include "sim/recordingfile.h"

#include <limits>

namespace {

constexpr qint64 usPerMs = 1000;
constexpr qint64 never = std::numeric_limits<qint64>::max();

// a + p * b for p, b >= 0, saturating instead of overflowing.
qint64 addTimes(qint64 a, qint64 p, qint64 b)
{
    if (b != 0 && p > (never - a) / b)
        return never;
    return a + p * b;
}

} // namespace

std::optional<ScheduledBlock> replaySchedule(const QVector<RecordedBlock> &blocks, qint64 k,
                                             bool loop)
{
    const qint64 n = blocks.size();
    if (k < 0)
        return std::nullopt;
    if (k < n)
        return ScheduledBlock{int(k), blocks[int(k)].timeUs};
    if (!loop || n < 2)
        return std::nullopt;
    const qint64 perPass = n - 1;
    const qint64 period = blocks.last().timeUs - blocks.first().timeUs;
    const qint64 j = k - n;
    const int index = int(1 + j % perPass);
    return ScheduledBlock{index, addTimes(blocks[index].timeUs, 1 + j / perPass, period)};
}

ReplayReplies::ReplayReplies(std::shared_ptr<const RecordingFile> recording, bool loop)
    : recording(std::move(recording)), loop(loop)
{
}

std::optional<Reply> ReplayReplies::nextReply()
{
    const auto scheduled = replaySchedule(recording->blocks(), answered, loop);
    if (!scheduled)
        return std::nullopt;
    ++answered;
    // Rounded up: never before the recorded moment.
    const qint64 dueMs = scheduled->dueUs / usPerMs + (scheduled->dueUs % usPerMs != 0 ? 1 : 0);
    return Reply{recording->block(scheduled->index), dueMs};
}
