// SPDX-License-Identifier: MIT
#include "scratchdir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fuzzsupport {
namespace {

std::string created;
pid_t owner = 0;

void removeScratchDir()
{
    // A forked child that calls exit() must not take the directory away.
    if (getpid() != owner || created.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(created, ignored);
}

std::string makeScratchDir()
{
    const char *tmp = std::getenv("TMPDIR");
    const std::string bases[] = {"/dev/shm", tmp && *tmp ? tmp : "/tmp", "/tmp"};
    for (const std::string &base : bases) {
        std::string pattern = base + "/radarfuzz.XXXXXX";
        if (mkdtemp(pattern.data())) {
            owner = getpid();
            std::atexit(removeScratchDir);
            return pattern;
        }
    }
    std::perror("fuzz: mkdtemp");
    std::abort();
}

} // namespace

std::string scratchPath(const char *name)
{
    if (created.empty())
        created = makeScratchDir();
    return created + "/" + name;
}

void writeFile(const std::string &path, const void *data, std::size_t size)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const char *bytes = static_cast<const char *>(data);
    std::size_t written = 0;
    while (fd >= 0 && written < size) {
        const ssize_t n = write(fd, bytes + written, size - written);
        if (n <= 0)
            break;
        written += std::size_t(n);
    }
    if (fd < 0 || written != size || close(fd) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace fuzzsupport
