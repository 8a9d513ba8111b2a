// SPDX-License-Identifier: MIT
// Replaying a recording: every replay connection gets the recorded blocks in
// order, one per request, each no earlier than its recorded time after the
// connection was accepted. A request that comes later than that is answered
// at once; the blocks after it keep their own times, so the replay catches up
// with the recording.
//
// Without looping the connection is closed once the last block has gone out
// and the next request finds none. Looping continues after the last block
// with the second one (the first is in the layout a client takes only once
// per connection), through the last, and again: each pass comes
// P = time of the last block - time of the first later, so the last block and
// the second keep the gap the first and the second had.
#pragma once

#include "sim/recording.h"
#include "sim/replysource.h"

#include <QVector>

#include <memory>
#include <optional>

class RecordingFile;

struct ScheduledBlock
{
    int index = 0;    // into the recording's blocks
    qint64 dueUs = 0; // after the connection was accepted
};

// The block that answers request `k` (0-based) and its due time; nothing when
// the replay has run out. Looping needs at least two blocks; with fewer it
// plays once.
std::optional<ScheduledBlock> replaySchedule(const QVector<RecordedBlock> &blocks, qint64 k,
                                             bool loop);

// One connection's replay of a shared, loaded recording.
class ReplayReplies : public ReplySource
{
public:
    ReplayReplies(std::shared_ptr<const RecordingFile> recording, bool loop);
    std::optional<Reply> nextReply() override;

private:
    std::shared_ptr<const RecordingFile> recording;
    bool loop;
    qint64 answered = 0;
};
