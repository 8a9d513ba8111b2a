// A whole file in memory, followed by a NUL byte (which no number and no
// token continues), for the reader's passes over its bytes.
//
// A regular file is mapped read-only when its size leaves room in its last
// page, whose rest the system fills with zeros; anything else is read into
// a heap block. Either way the bytes live until the object is destroyed.
#pragma once

#include "glm/glmalloc.h"
#include "glm/textscan.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

class FileBytes
{
public:
    FileBytes() = default;
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;
    ~FileBytes()
    {
        if (mapped_)
            munmap(bytes_, size_ + 1);
        else
            std::free(bytes_);
    }

    // False when the file cannot be opened or read (a directory, say).
    // operation names the caller in an out-of-memory message.
    bool load(const char *name, const char *operation)
    {
        const int fd = open(name, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat info;
        if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
            close(fd);
            return false;
        }
        const long page = sysconf(_SC_PAGESIZE);
        if (S_ISREG(info.st_mode) && info.st_size > 0 && page > 0 && info.st_size % page != 0) {
            void *map = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                             MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (map != MAP_FAILED) {
                close(fd);
                mapped_ = true;
                bytes_ = static_cast<char *>(map);
                size_ = static_cast<std::size_t>(info.st_size);
                return true;
            }
        }
        const bool readable = readAll(fd, info, operation);
        close(fd);
        return readable;
    }

    glmscan::TextScanner scanner() const { return glmscan::TextScanner(bytes_, bytes_ + size_); }

private:
    static constexpr std::size_t unknownSizeChunk = 1 << 16;

    bool readAll(int fd, const struct stat &info, const char *operation)
    {
        // One spare byte for the NUL and one so that the read meeting the
        // end of a file of the expected size does not grow the block.
        std::size_t capacity = S_ISREG(info.st_mode) && info.st_size > 0
                                   ? static_cast<std::size_t>(info.st_size) + 2
                                   : unknownSizeChunk;
        bytes_ = static_cast<char *>(glmAllocate(capacity, 1, operation));
        for (;;) {
            if (size_ + 1 >= capacity) {
                capacity *= 2;
                char *grown = static_cast<char *>(std::realloc(bytes_, capacity));
                if (!grown)
                    glmOutOfMemory(operation);
                bytes_ = grown;
            }
            const ssize_t n = read(fd, bytes_ + size_, capacity - 1 - size_);
            if (n < 0) {
                bytes_[size_] = '\0';
                return false;
            }
            if (n == 0)
                break;
            size_ += static_cast<std::size_t>(n);
        }
        bytes_[size_] = '\0';
        return true;
    }

    char *bytes_ = nullptr;
    std::size_t size_ = 0;
    bool mapped_ = false;
};
