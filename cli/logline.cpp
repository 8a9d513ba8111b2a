// SPDX-License-Identifier: MIT
#include "cli/logline.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

void writeLine(const QString &prefix, const QString &line)
{
    std::fprintf(stderr, "%s%s: %s\n", qPrintable(prefix),
                 qPrintable(QCoreApplication::applicationName()), qPrintable(line));
    std::fflush(stderr);
}

} // namespace

QString logTimestamp(const QDateTime &time)
{
    // With its offset the time stays unambiguous across a change to or from
    // daylight saving time, when an hour of local times repeats. Written out
    // here, as date's %:z writes it: Qt's ISO form has "Z" for UTC.
    const QDateTime local = time.toLocalTime();
    const int secondsPerMinute = 60, minutesPerHour = 60;
    const int offsetMinutes = local.offsetFromUtc() / secondsPerMinute;
    const int minutes = qAbs(offsetMinutes);
    const QChar zero('0');
    return local.toString("yyyy-MM-dd'T'HH:mm:ss.zzz") + (offsetMinutes < 0 ? '-' : '+') +
           QString("%1:%2")
               .arg(minutes / minutesPerHour, 2, 10, zero)
               .arg(minutes % minutesPerHour, 2, 10, zero);
}

void logLine(const QString &line)
{
    writeLine(logTimestamp(QDateTime::currentDateTime()) + ' ', line);
}

void complain(const QString &line)
{
    writeLine(QString(), line);
}
