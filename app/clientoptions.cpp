// SPDX-License-Identifier: MIT
#include "app/clientoptions.h"

#include "app/exitcause.h"

#include <QCommandLineParser>

const char clientVersion[] = RADAR_VERSION;

namespace {

const char *const description =
    "Full-screen 3D display client for a radar table. Reads clientSettings.xml,\n"
    "mdl/ and textures/ from the working directory, connects to the target\n"
    "server and draws its targets until Escape or Q.\n"
    "\n"
    "Errors are shown in a \"Client error\" box. Without --kiosk the box waits\n"
    "for OK and the exit status is 0. With --kiosk the box closes by itself\n"
    "after SECONDS (default %1) and the exit status tells the cause, so that a\n"
    "supervisor such as radarclient-launch --kiosk can start the client again:\n"
    "%2"
    "\n"
    "Toolkit options such as -display and -platform go to Qt.";

QString exitStatusTable()
{
    QString table;
    for (ExitCause cause :
         {ExitCause::settingsUnreadable, ExitCause::serverUnreachable, ExitCause::connectionLost})
        table += QString("  %1  %2\n").arg(kioskExitStatus(cause)).arg(describe(cause));
    return table;
}

} // namespace

CommandLine<ClientOptions> parseClientCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(description)
                                         .arg(ClientOptions::defaultKioskSeconds)
                                         .arg(exitStatusTable()));
    parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption kioskOption(
        "kiosk", QString("Close an error box by itself after SECONDS (1 to %1, default %2) and "
                         "exit with the status of its cause.")
                     .arg(ClientOptions::maxKioskSeconds)
                     .arg(ClientOptions::defaultKioskSeconds));
    parser.addOption(kioskOption);
    parser.addPositionalArgument("seconds", "The time an error box stays with --kiosk.",
                                 "[SECONDS]");

    CommandLine<ClientOptions> commandLine;
    if (!commandLine.parse(parser, arguments, &versionOption))
        return commandLine;
    const QStringList positional = parser.positionalArguments();
    if (!parser.isSet(kioskOption)) {
        if (!positional.isEmpty())
            return commandLine.refuse("unexpected argument \"" + positional.first() + "\"");
        return commandLine;
    }
    if (positional.size() > 1)
        return commandLine.refuse("--kiosk takes one number of seconds, not \"" +
                                  positional.join(' ') + "\"");
    int seconds = ClientOptions::defaultKioskSeconds;
    if (!positional.isEmpty()) {
        bool ok = false;
        seconds = positional.first().toInt(&ok);
        if (!ok || seconds < 1 || seconds > ClientOptions::maxKioskSeconds)
            return commandLine.refuse(QString("--kiosk takes 1 to %1 seconds, not \"%2\"")
                                          .arg(ClientOptions::maxKioskSeconds)
                                          .arg(positional.first()));
    }
    commandLine.options.kioskSeconds = seconds;
    return commandLine;
}

bool asksForHelpOrVersion(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == "--")
            break;
        if (argument == "--help" || argument == "--help-all" || argument == "-h" ||
            argument == "-?" || argument == "--version" || argument == "-v")
            return true;
    }
    return false;
}
