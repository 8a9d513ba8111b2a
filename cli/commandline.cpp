// SPDX-License-Identifier: MIT
#include "cli/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

bool CommandLineRequest::parse(QCommandLineParser &parser, const QStringList &arguments,
                               const QCommandLineOption *versionOption)
{
    if (!parser.parse(arguments)) {
        status = Invalid;
        text = parser.errorText();
    } else if (parser.isSet("help") || parser.isSet("help-all")) {
        // --help-all would add the toolkit's options, which the servers do
        // not take; the same help, rather than a run nobody asked for.
        status = ShowHelp;
        text = parser.helpText();
    } else if (versionOption && parser.isSet(*versionOption)) {
        status = ShowVersion;
        text = QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() +
               '\n';
    } else {
        status = Run;
    }
    return status == Run;
}

int CommandLineRequest::answer() const
{
    if (status == ShowHelp || status == ShowVersion) {
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    return fail(exitInvalidOptions, text);
}

int fail(int status, const QString &message)
{
    complain(message);
    return status;
}
