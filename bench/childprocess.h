// SPDX-License-Identifier: MIT
// Child processes of the benchmark programs: the client the start-up probe
// starts and ends, and the programs running themselves again for a fresh
// process per measurement.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The running program's path (/proc/self/exe), for running it again;
// empty when it cannot be read.
std::string selfExecutable();

// Runs argv[0] with these arguments and environment ("NAME=value" each)
// and waits for it; its standard output is read into output, or left to
// this process's when output is null. False when it cannot be started or
// does not exit with status 0; output then holds what it wrote.
bool runChild(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
              std::string *output);

// A child process started by the start-up probe: spawned with its own
// working directory, ended with SIGTERM (SIGKILL if it lingers) and always
// reaped. Only the process this object started is ever signalled.
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
