// SPDX-License-Identifier: MIT
// Heap blocks of the model library. Records and arrays are plain malloc
// blocks released with free(); a failed allocation ends the program with a
// one-line message naming the operation, like the library's other fatal
// input errors, so no caller ever sees a missing block.
#pragma once

#include "glm/platform.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

[[noreturn]] inline void glmOutOfMemory(const char *operation)
{
    std::fprintf(stderr, "%s(): out of memory.\n", operation);
    std::exit(1);
}

// count elements of size bytes each, uninitialised; count may be 0.
inline void *glmAllocate(std::size_t count, std::size_t size, const char *operation)
{
    if (size != 0 && count > static_cast<std::size_t>(-1) / size)
        glmOutOfMemory(operation);
    void *block = std::malloc(count * size);
    if (!block && count * size != 0)
        glmOutOfMemory(operation);
    glmplatform::adviseHugePages(block, count * size);
    return block;
}

// Like glmAllocate, for elements aligned to alignment bytes (a power of two
// that divides size).
inline void *glmAllocateAligned(std::size_t count, std::size_t size, std::size_t alignment,
                                const char *operation)
{
    if (size != 0 && count > static_cast<std::size_t>(-1) / size)
        glmOutOfMemory(operation);
    void *block = std::aligned_alloc(alignment, count * size);
    if (!block && count * size != 0)
        glmOutOfMemory(operation);
    glmplatform::adviseHugePages(block, count * size);
    return block;
}

// Like glmAllocate, but every byte is 0.
inline void *glmAllocateZeroed(std::size_t count, std::size_t size, const char *operation)
{
    void *block = std::calloc(count, size);
    if (!block && count != 0 && size != 0)
        glmOutOfMemory(operation);
    glmplatform::adviseHugePages(block, count * size); // calloc has not touched fresh pages
    return block;
}

// A 1-based array of count points of components floats each: element 0
// included, every value 0.
inline float *glmAllocatePoints(std::size_t count, std::size_t components, const char *operation)
{
    return static_cast<float *>(
        glmAllocateZeroed((count + 1) * components, sizeof(float), operation));
}

inline char *glmDuplicate(const char *text, const char *operation)
{
    const std::size_t length = std::strlen(text);
    char *copy = static_cast<char *>(glmAllocate(length + 1, 1, operation));
    std::memcpy(copy, text, length + 1);
    return copy;
}

// The library's blocks as a standard allocator, for the work arrays of an
// operation: they get the huge-page advice of its other large arrays, and
// running out of memory ends the program with operation's message.
template <class T> class GlmAllocator
{
public:
    using value_type = T;

    explicit GlmAllocator(const char *operation) : operation_(operation) {}
    template <class U> GlmAllocator(const GlmAllocator<U> &other) : operation_(other.operation()) {}

    T *allocate(std::size_t n)
    {
        if constexpr (alignof(T) <= alignof(std::max_align_t))
            return static_cast<T *>(glmAllocate(n, sizeof(T), operation_));
        else
            return static_cast<T *>(glmAllocateAligned(n, sizeof(T), alignof(T), operation_));
    }
    void deallocate(T *block, std::size_t) { std::free(block); }

    const char *operation() const { return operation_; }
    template <class U> bool operator==(const GlmAllocator<U> &) const { return true; }
    template <class U> bool operator!=(const GlmAllocator<U> &) const { return false; }

private:
    const char *operation_;
};

template <class T> using GlmVector = std::vector<T, GlmAllocator<T>>;
