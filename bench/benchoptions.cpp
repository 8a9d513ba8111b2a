#include "bench/benchoptions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

bool makeDirectories(const std::string &path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

} // namespace

bool takeOptionValue(const char *arg, const char *name, std::string &value)
{
    const std::size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0 || arg[n] != '=')
        return false;
    value = arg + n + 1;
    return true;
}

bool parseBenchOptions(int argc, char **argv, BenchOptions &options)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--smoke") == 0)
            options.smoke = true;
        else if (!takeOptionValue(arg, "--data-dir", options.dataDir) &&
                 !takeOptionValue(arg, "--table-out", options.tableOut)) {
            std::fprintf(stderr, "%s: unknown argument %s\n", argv[0], arg);
            return false;
        }
    }
    return true;
}

std::string resolveDataDir(const BenchOptions &options)
{
    std::string dir = options.dataDir;
    if (dir.empty()) {
        char self[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n <= 0)
            return std::string();
        self[n] = '\0';
        dir = std::string(self);
        dir = dir.substr(0, dir.rfind('/')) + "/bench-data";
    }
    if (!makeDirectories(dir)) {
        std::fprintf(stderr, "cannot create the data directory %s: %s\n", dir.c_str(),
                     std::strerror(errno));
        return std::string();
    }
    return dir;
}
