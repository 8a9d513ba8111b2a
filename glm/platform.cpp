// SPDX-License-Identifier: MIT
// The model library's Linux and glibc calls (see platform.h for why each
// exists).

// glibc declares its assertion hook only where assertions are on; the
// library keeps them on in every build anyway.
#undef NDEBUG

#include "glm/platform.h"

#include "glm/glmalloc.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cstdint>
#include <cstdlib>

namespace glmplatform {

namespace {

// The transparent huge page size of x86-64 Linux.
constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;

// The first read of a file whose size its status does not give (a file of
// the proc file system says 0).
constexpr std::size_t unknownSizeChunk = std::size_t{1} << 16;

// Reads the regular file fd to its end into a heap block with a NUL after
// the bytes read; false when reading fails or the file grows beyond
// maxFileBytes while it is read.
bool readAll(int fd, const struct stat &info, const char *operation, FileImage &image)
{
    // One spare byte for the NUL and one so that the read meeting the end
    // of a file of the expected size does not grow the block.
    std::size_t capacity =
        info.st_size > 0 ? static_cast<std::size_t>(info.st_size) + 2 : unknownSizeChunk;
    char *bytes = static_cast<char *>(glmAllocate(capacity, 1, operation));
    std::size_t size = 0;
    for (;;) {
        if (size + 1 >= capacity) {
            capacity *= 2;
            char *grown = static_cast<char *>(std::realloc(bytes, capacity));
            if (!grown)
                glmOutOfMemory(operation);
            bytes = grown;
        }
        const ssize_t n = read(fd, bytes + size, capacity - 1 - size);
        if (n < 0) {
            std::free(bytes);
            return false;
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
        if (size > maxFileBytes) {
            std::free(bytes);
            return false;
        }
    }
    bytes[size] = '\0';
    image.bytes = bytes;
    image.size = size;
    image.mapped = false;
    return true;
}

// Made once and kept for the life of the program; null when it cannot be.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

} // namespace

void adviseHugePages(void *block, std::size_t bytes)
{
    if (!block || bytes < 2 * hugePage)
        return;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(hugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
}

bool loadFile(const char *name, const char *operation, FileImage &image)
{
    image = FileImage();
    // Without O_NONBLOCK, opening a FIFO would wait for a writer; the status
    // then tells what the name is before anything is read.
    const int fd = open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > maxFileBytes) {
        close(fd);
        return false;
    }
    const long page = sysconf(_SC_PAGESIZE);
    if (info.st_size > 0 && page > 0 && info.st_size % page != 0) {
        const std::size_t size = static_cast<std::size_t>(info.st_size);
        void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (map != MAP_FAILED) {
            close(fd);
            image.bytes = static_cast<char *>(map);
            image.size = size;
            image.mapped = true;
            return true;
        }
    }
    const bool readable = readAll(fd, info, operation, image);
    close(fd);
    return readable;
}

void releaseFile(FileImage &image)
{
    if (image.mapped)
        munmap(image.bytes, image.size + 1);
    else
        std::free(image.bytes);
    image = FileImage();
}

float parseFloat(const char *text)
{
    return strtof_l(text, nullptr, cLocale());
}

CNumericLocale::CNumericLocale() : previous_(static_cast<locale_t>(0))
{
    if (cLocale())
        previous_ = uselocale(cLocale());
}

CNumericLocale::~CNumericLocale()
{
    if (previous_)
        uselocale(previous_);
}

bool sameFile(const char *a, const char *b)
{
    struct stat first;
    struct stat second;
    return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

void assertionFailed(const char *expression, unsigned line, const char *function)
{
    __assert_fail(expression, "glm", line, function);
}

} // namespace glmplatform
