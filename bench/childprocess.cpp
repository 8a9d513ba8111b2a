#include "bench/childprocess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

const int reapPollMs = 10;
const int exitStatusExecFailed = 127;

long long nowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

} // namespace

ChildProcess::~ChildProcess()
{
    stop();
    if (output >= 0)
        close(output);
}

bool ChildProcess::start(const std::vector<std::string> &argv, const std::string &directory,
                         bool captureOutput)
{
    int pipeFds[2] = {-1, -1};
    if (captureOutput && pipe(pipeFds) != 0)
        return false;
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);

    child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Only async-signal-safe calls until exec.
        if (captureOutput) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
        }
        if (chdir(directory.c_str()) != 0)
            _exit(exitStatusExecFailed);
        execv(args[0], args.data());
        _exit(exitStatusExecFailed);
    }
    if (captureOutput) {
        close(pipeFds[1]);
        output = pipeFds[0];
    }
    return true;
}

bool ChildProcess::readLine(std::string &line, int timeoutMs)
{
    const long long deadline = nowMs() + timeoutMs;
    for (;;) {
        const std::size_t newline = pending.find('\n');
        if (newline != std::string::npos) {
            line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            return true;
        }
        const long long left = deadline - nowMs();
        if (output < 0 || left <= 0)
            return false;
        pollfd p{output, POLLIN, 0};
        if (poll(&p, 1, int(left)) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(output, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        pending.append(buffer, std::size_t(n));
    }
}

bool ChildProcess::running()
{
    if (child <= 0)
        return false;
    int status;
    if (waitpid(child, &status, WNOHANG) == child) {
        child = -1;
        return false;
    }
    return true;
}

void ChildProcess::stop()
{
    if (!running())
        return;
    kill(child, SIGTERM);
    const long long deadline = nowMs() + stopTimeoutMs;
    int status;
    while (nowMs() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            return;
        }
        usleep(reapPollMs * 1000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    child = -1;
}
