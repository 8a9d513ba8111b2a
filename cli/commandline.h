// SPDX-License-Identifier: MIT
// The command-line conventions of the programs (radarsim, radarprobe,
// radarclient): a tool's parser never exits or prints, it returns a
// CommandLine; runTool (or the client's main) prints the help text, the
// version or the refusal and exits, or runs the tool with the options. Every complaint is one line
// on standard error after the tool's name (see logline.h).
#pragma once

#include "cli/logline.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QCommandLineOption;
class QCommandLineParser;

// Exit status for options a tool cannot use; --help exits with 0.
constexpr int exitInvalidOptions = 2;

// What a command line asks for, apart from the options themselves.
struct CommandLineRequest
{
    enum Status { Run, ShowHelp, ShowVersion, Invalid };

    Status status = Run;
    // The help text for ShowHelp, the version line for ShowVersion, one
    // error line for Invalid.
    QString text;

    // Parses `arguments` (program name first) with `parser`, which holds the
    // tool's options and its --help and --help-all
    // (QCommandLineParser::addHelpOption), and --version when
    // `versionOption` is given. True when the tool's own options are to be
    // read from `parser`; otherwise status and text say why not.
    bool parse(QCommandLineParser &parser, const QStringList &arguments,
               const QCommandLineOption *versionOption = nullptr);

    // The answer to a request that is not Run, as main returns it: the help
    // text or the version on standard output and 0, or the error line on
    // standard error and exitInvalidOptions.
    int answer() const;
};

// A tool's parsed command line.
template <typename Options> struct CommandLine : CommandLineRequest
{
    Options options; // meaningful when status is Run

    // This command line, refused with one error line.
    CommandLine refuse(const QString &error)
    {
        status = Invalid;
        text = error;
        return *this;
    }
};

// complain(message), then `status` for main to return.
int fail(int status, const QString &message);

// A server tool's main: makes the application, named `name` for every
// complaint, and answers help and refused command lines; otherwise returns
// what `run` returns for the options.
template <typename Options>
int runTool(int argc, char **argv, const char *name,
            CommandLine<Options> (*parse)(const QStringList &arguments),
            int (*run)(QCoreApplication &app, const Options &options))
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(name);
    const CommandLine<Options> parsed = parse(QCoreApplication::arguments());
    if (parsed.status != CommandLineRequest::Run)
        return parsed.answer();
    return run(app, parsed.options);
}
