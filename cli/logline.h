// SPDX-License-Identifier: MIT
// The programs' lines on standard error. A log line tells an event and when
// it happened, for a site operator reading the journal or a redirected
// stream: "TIME TOOL: text", TIME being the local time to the millisecond
// with its offset from UTC in ISO 8601, TOOL the application's name. A
// complaint (a refused option, a file that cannot be read) is "TOOL: text",
// as command-line tools complain. Each is written and flushed at once.
#pragma once

#include <QDateTime>
#include <QString>

// `time` in the log's form, e.g. 2026-03-02T14:05:07.123+01:00 (UTC:
// +00:00), as `date +%Y-%m-%dT%H:%M:%S.%3N%:z` writes it for scripts.
QString logTimestamp(const QDateTime &time);

// Writes "TIME TOOL: line" with the current time.
void logLine(const QString &line);

// Writes "TOOL: line".
void complain(const QString &line);
