// SPDX-License-Identifier: MIT
// The client's own command line: --kiosk [SECONDS], --help and --version.
// The toolkit takes its arguments (-display, -platform, ...) out of the
// list before it reaches parseClientCommandLine; only --help and --version
// are answered without a display, which the toolkit cannot start without.
#pragma once

#include "cli/commandline.h"

#include <QStringList>

// "MAJOR.MINOR.PATCH" of this build.
extern const char clientVersion[];

struct ClientOptions
{
    static constexpr int defaultKioskSeconds = 10;
    static constexpr int maxKioskSeconds = 24 * 60 * 60;

    // Seconds after which an error box closes by itself, the client then
    // exiting with the status of its cause (see exitcause.h); 0 without
    // --kiosk: a box waits for OK and every exit status is 0.
    int kioskSeconds = 0;

    bool kiosk() const { return kioskSeconds > 0; }
};

// Parses the arguments left after the toolkit took its own (program name
// first). Refused: an unknown option, SECONDS outside 1 to maxKioskSeconds
// or not a whole number, an argument without --kiosk, or more than one.
CommandLine<ClientOptions> parseClientCommandLine(const QStringList &arguments);

// True when the arguments (program name first) ask for the help or the
// version, which parseClientCommandLine then answers without a display.
bool asksForHelpOrVersion(const QStringList &arguments);
