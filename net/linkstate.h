// SPDX-License-Identifier: MIT
// How the client's link to the target server stands, for the console the
// view draws: the network client owns one and fills it; the view only reads
// it. Plain data, no toolkit types.
#pragma once

#include <string>

struct LinkState
{
    // connected: the socket is connected and the newest reply block is at
    // most replyStaleSeconds old. waiting: anything else, that is before the
    // first reply, while replies stay away, and for good once the
    // connection is found lost (while the error box shows).
    enum class Status { waiting, connected };
    static constexpr double replyStaleSeconds = 1.0;

    Status status = Status::waiting;
    // "host:port" as connectToServer was given it (formatHostPort); empty
    // before.
    std::string server;
    // Requests written to the socket per second of wall time, over the
    // newest whole measuring interval; 0 once the connection is lost.
    // rateMeasured is false until the first interval has ended.
    double requestsPerSecond = 0.0;
    bool rateMeasured = false;
};
