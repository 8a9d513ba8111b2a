// Heap blocks of the model library. Records and arrays are plain malloc
// blocks released with free(); a failed allocation ends the program with a
// one-line message naming the operation, like the library's other fatal
// input errors, so no caller ever sees a missing block.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

[[noreturn]] inline void glmOutOfMemory(const char *operation)
{
    std::fprintf(stderr, "%s(): out of memory.\n", operation);
    std::exit(1);
}

// Large arrays are filled right after they are allocated: asking for huge
// pages for the whole 2 MiB pages inside the block saves most of the page
// faults of filling them. Only a hint; the block stays a malloc block.
constexpr std::uintptr_t glmHugePage = std::uintptr_t(2) << 20;

inline void glmAdviseHugePages(void *block, std::size_t bytes)
{
    if (!block || bytes < 2 * glmHugePage)
        return;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + glmHugePage - 1) & ~(glmHugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(glmHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
}

// count elements of size bytes each, uninitialised; count may be 0.
inline void *glmAllocate(std::size_t count, std::size_t size, const char *operation)
{
    if (size != 0 && count > static_cast<std::size_t>(-1) / size)
        glmOutOfMemory(operation);
    void *block = std::malloc(count * size);
    if (!block && count * size != 0)
        glmOutOfMemory(operation);
    glmAdviseHugePages(block, count * size);
    return block;
}

// Like glmAllocate, but every byte is 0.
inline void *glmAllocateZeroed(std::size_t count, std::size_t size, const char *operation)
{
    void *block = std::calloc(count, size);
    if (!block && count != 0 && size != 0)
        glmOutOfMemory(operation);
    glmAdviseHugePages(block, count * size); // calloc has not touched fresh pages
    return block;
}

inline char *glmDuplicate(const char *text, const char *operation)
{
    const std::size_t length = std::strlen(text);
    char *copy = static_cast<char *>(glmAllocate(length + 1, 1, operation));
    std::memcpy(copy, text, length + 1);
    return copy;
}
