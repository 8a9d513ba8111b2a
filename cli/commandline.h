// The command-line conventions of the server tools (radarsim, radarprobe):
// a tool's parser never exits or prints, it returns a CommandLine; main
// prints the help text or the refusal and exits, or runs with the options.
// Every complaint is one line on standard error after the tool's name,
// which is the application name each main sets first.
#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

// Exit status for options a tool cannot use; --help exits with 0.
constexpr int exitInvalidOptions = 2;

// What a command line asks for, apart from the options themselves.
struct CommandLineRequest
{
    enum Status { Run, ShowHelp, Invalid };

    Status status = Run;
    QString text; // the help text for ShowHelp, one error line for Invalid

    // Parses `arguments` (program name first) with `parser`, which holds the
    // tool's options and its --help (QCommandLineParser::addHelpOption).
    // True when the tool's own options are to be read from `parser`;
    // otherwise status and text say why not.
    bool parse(QCommandLineParser &parser, const QStringList &arguments);

    // main's answer to a request that is not Run: the help text on standard
    // output and 0, or the error line on standard error and
    // exitInvalidOptions.
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

// Writes "TOOL: line" to standard error at once: complaints, and the
// servers' log.
void logLine(const QString &line);

// logLine(message), then `status` for main to return.
int fail(int status, const QString &message);
