// SPDX-License-Identifier: MIT
#include "bench/benchoptions.h"

#include "bench/childprocess.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int maxRounds = 1000;

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
        std::string rounds;
        if (std::strcmp(arg, "--smoke") == 0) {
            options.smoke = true;
        } else if (std::strcmp(arg, measuringChildFlag) == 0) {
            options.measuringChild = true;
        } else if (takeOptionValue(arg, "--rounds", rounds)) {
            char *end = nullptr;
            const long n = std::strtol(rounds.c_str(), &end, 10);
            if (rounds.empty() || *end != '\0' || n < 1 || n > maxRounds) {
                std::fprintf(stderr, "%s: bad value in %s\n", argv[0], arg);
                return false;
            }
            options.rounds = int(n);
        } else if (!takeOptionValue(arg, "--memory", options.memory) &&
                   !takeOptionValue(arg, "--data-dir", options.dataDir) &&
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
        const std::string self = selfExecutable();
        if (self.empty())
            return std::string();
        dir = self.substr(0, self.rfind('/')) + "/bench-data";
    }
    if (!makeDirectories(dir)) {
        std::fprintf(stderr, "cannot create the data directory %s: %s\n", dir.c_str(),
                     std::strerror(errno));
        return std::string();
    }
    return dir;
}
