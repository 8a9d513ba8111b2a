// SPDX-License-Identifier: MIT
// Why a run of the client ended, and the exit status that tells it. Without
// --kiosk every status is 0, as a box already told a person; with it, a
// supervisor tells the causes apart by these statuses. 1 (a model file that
// cannot be read) and 2 (unusable options) mean what they mean for the
// other programs.
#pragma once

#include <QString>

enum class ExitCause {
    windowClosed,       // by the window system, or before the window was shown
    keyPressed,         // Escape or Q
    runTimeOver,        // the settings' timeToLive
    settingsUnreadable, // then a box
    serverUnreachable,  // then a box
    connectionLost,     // then a box
};

constexpr int exitSettingsUnreadable = 3;
constexpr int exitServerUnreachable = 4;
constexpr int exitConnectionLost = 5;

// The status of a kiosk run that ended for `cause`: one of the three above
// for an error, otherwise 0.
int kioskExitStatus(ExitCause cause);

// A few words for the log and the help, e.g. "connection lost".
QString describe(ExitCause cause);
