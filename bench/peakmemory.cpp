#include "bench/peakmemory.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace {

const char *const childFlag = "--peak-memory-child=";
const char *const fileFlag = "--peak-memory-file=";
const char *const baselineReader = "none";
constexpr double bytesPerKb = 1024.0;

// VmHWM in kB, or -1.
long peakResidentKb()
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(status);
    return kb;
}

// Runs the child role for reader and path; its printed peak in kB, or -1.
long childPeakKb(const std::string &reader, const std::string &path)
{
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return -1;
    self[n] = '\0';
    const std::string readerArg = childFlag + reader;
    const std::string fileArg = fileFlag + path;
    char *argv[] = {self, const_cast<char *>(readerArg.c_str()),
                    const_cast<char *>(fileArg.c_str()), nullptr};

    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    std::string text;
    char buffer[256];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(got));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    // The reader may print on standard output too; the peak is the last line.
    const std::size_t last = text.find_last_of('\n', text.size() >= 2 ? text.size() - 2 : 0);
    return std::strtol(text.c_str() + (last == std::string::npos ? 0 : last + 1), nullptr, 10);
}

} // namespace

double peakReadBytes(ObjReader reader, const std::string &path)
{
    const long baseline = childPeakKb(baselineReader, path);
    const long peak = childPeakKb(readerName(reader), path);
    if (baseline < 0 || peak < 0)
        return -1.0;
    return double(peak - baseline) * bytesPerKb;
}

bool isPeakMemoryChild(int argc, char **argv)
{
    return argc > 1 && std::strncmp(argv[1], childFlag, std::strlen(childFlag)) == 0;
}

int runPeakMemoryChild(int argc, char **argv)
{
    if (argc != 3 || std::strncmp(argv[2], fileFlag, std::strlen(fileFlag)) != 0)
        return 2;
    const std::string reader = argv[1] + std::strlen(childFlag);
    const std::string path = argv[2] + std::strlen(fileFlag);
    if (reader != baselineReader) {
        ObjReader which;
        if (!readerFromName(reader, which) || !readObj(which, path).ok)
            return 1;
    }
    std::printf("\n%ld\n", peakResidentKb());
    return 0;
}
