#include "bench/childprocess.h"

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
}

bool ChildProcess::start(const std::vector<std::string> &argv, const std::string &directory)
{
    std::vector<char *> args;
    for (const std::string &arg : argv)
        args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);

    child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Only async-signal-safe calls until exec.
        if (chdir(directory.c_str()) != 0)
            _exit(exitStatusExecFailed);
        execv(args[0], args.data());
        _exit(exitStatusExecFailed);
    }
    return true;
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
