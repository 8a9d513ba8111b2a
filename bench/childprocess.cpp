// SPDX-License-Identifier: MIT
#include "bench/childprocess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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

std::vector<char *> pointersTo(const std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (const std::string &s : strings)
        pointers.push_back(const_cast<char *>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::string selfExecutable()
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return std::string();
    return std::string(self, std::size_t(n));
}

bool runChild(const std::vector<std::string> &argv, const std::vector<std::string> &environment,
              std::string *output)
{
    int out[2] = {-1, -1};
    if (output) {
        output->clear();
        if (pipe(out) != 0)
            return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
    }
    std::vector<char *> args = pointersTo(argv);
    std::vector<char *> envp = pointersTo(environment);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        close(out[1]);
        if (spawned == 0) {
            char buffer[4096];
            ssize_t got;
            while ((got = read(out[0], buffer, sizeof buffer)) != 0) {
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0)
                    break;
                output->append(buffer, std::size_t(got));
            }
        }
        close(out[0]);
    }
    if (spawned != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::start(const std::vector<std::string> &argv, const std::string &directory)
{
    std::vector<char *> args = pointersTo(argv);
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
