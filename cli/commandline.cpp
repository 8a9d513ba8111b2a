#include "cli/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

bool CommandLineRequest::parse(QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.parse(arguments)) {
        status = Invalid;
        text = parser.errorText();
    } else if (parser.isSet("help")) {
        status = ShowHelp;
        text = parser.helpText();
    } else {
        status = Run;
    }
    return status == Run;
}

int CommandLineRequest::answer() const
{
    if (status == ShowHelp) {
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    return fail(exitInvalidOptions, text);
}

void logLine(const QString &line)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(line));
    std::fflush(stderr);
}

int fail(int status, const QString &message)
{
    logLine(message);
    return status;
}
