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
    bool start(const std::vector<std::string> &argv, const std::string &directory);

    bool running();
    void stop();
    pid_t pid() const { return child; }

private:
    pid_t child = -1;
};
