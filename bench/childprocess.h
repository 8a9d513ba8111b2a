// A child process started by the start-up probe: spawned with its own
// working directory, ended with SIGTERM (SIGKILL if it lingers) and always
// reaped. Only the process this object started is ever signalled.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess
{
public:
    static const int stopTimeoutMs = 2000;

    ChildProcess() = default;
    ~ChildProcess(); // stops the child if it still runs
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts program with arguments (argv[0] is the program) in directory.
    // With captureOutput its standard output can be read with readLine.
    bool start(const std::vector<std::string> &argv, const std::string &directory,
               bool captureOutput);

    // One line of standard output without its newline; false at the end of
    // output or after timeoutMs.
    bool readLine(std::string &line, int timeoutMs);

    bool running();
    void stop();
    pid_t pid() const { return child; }

private:
    pid_t child = -1;
    int output = -1;
    std::string pending;
};
