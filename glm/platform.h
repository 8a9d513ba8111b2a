// SPDX-License-Identifier: MIT
// What the model library asks of the system beyond standard C++: Linux and
// glibc calls, each kept for a reason given below. The rest of glm/ is
// portable C++17 and reaches the system only through these functions.
#pragma once

#include <clocale> // locale_t (POSIX)
#include <cstddef>

namespace glmplatform {

// Huge pages. Large arrays are filled right after they are allocated, and
// every fresh page costs a page fault; asking for transparent huge pages for
// the whole huge pages inside the block saves most of them. Only a hint: the
// block stays a malloc block, and blocks too small to hold two huge pages
// are left alone.
void adviseHugePages(void *block, std::size_t bytes);

// A whole file in memory, followed by a NUL byte. bytes is null until a
// load succeeds; release it with releaseFile.
struct FileImage
{
    char *bytes = nullptr;
    std::size_t size = 0; // without the NUL
    bool mapped = false;
};

// The largest file loadFile takes. The model's counts are 32-bit and every
// element a file counts takes at least two bytes of it, so no count of a
// file this size can overflow.
constexpr std::size_t maxFileBytes = 0xFFFFFFFFu;

// Loads the regular file name into image. A file whose size leaves room in
// its last page is mapped read-only: the system fills the rest of that page
// with zeros, so the NUL after the text comes without copying the file, and
// the mapping is populated at once rather than page fault by page fault.
// Other sizes are read into a heap block. False, with nothing to release,
// when the file cannot be opened or read, is no regular file (a directory,
// a FIFO, a device: opening never waits for a writer) or is larger than
// maxFileBytes; operation names the caller in an out-of-memory message.
bool loadFile(const char *name, const char *operation, FileImage &image);
void releaseFile(FileImage &image);

// Numbers in files use "." as the decimal point whatever the process locale.
// The C library's conversions follow the process locale, so both of these
// work with a C locale object of their own (POSIX newlocale).

// strtof in the C locale (glibc's strtof_l): correctly rounded, with the
// overflow, underflow and hex rules of "%f".
float parseFloat(const char *text);

// While alive, this thread formats numbers in the C locale (POSIX
// uselocale), without touching the process locale or other threads. Does
// nothing when the system cannot make the locale object.
class CNumericLocale
{
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

private:
    locale_t previous_;
};

// Whether both names are existing files and the same one (POSIX stat: the
// same device and inode, however the paths are spelled or linked). The
// writer asks it before it replaces a file a model was read from.
bool sameFile(const char *a, const char *b);

// glibc's own assertion report and abort, naming the source file "glm"
// whichever of the library's files the check is in, where assert() would
// name the .cpp file. Used by GLM_ASSERT (glmassert.h).
[[noreturn]] void assertionFailed(const char *expression, unsigned line, const char *function);

} // namespace glmplatform
