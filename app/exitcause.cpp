// SPDX-License-Identifier: MIT
#include "app/exitcause.h"

int kioskExitStatus(ExitCause cause)
{
    switch (cause) {
    case ExitCause::settingsUnreadable:
        return exitSettingsUnreadable;
    case ExitCause::serverUnreachable:
        return exitServerUnreachable;
    case ExitCause::connectionLost:
        return exitConnectionLost;
    case ExitCause::windowClosed:
    case ExitCause::keyPressed:
    case ExitCause::runTimeOver:
        break;
    }
    return 0;
}

QString describe(ExitCause cause)
{
    switch (cause) {
    case ExitCause::windowClosed:
        return "window closed";
    case ExitCause::keyPressed:
        return "closed by Escape or Q";
    case ExitCause::runTimeOver:
        return "timeToLive ran out";
    case ExitCause::settingsUnreadable:
        return "settings file unreadable";
    case ExitCause::serverUnreachable:
        return "server unreachable";
    case ExitCause::connectionLost:
        return "connection to the server lost";
    }
    return "unknown";
}
