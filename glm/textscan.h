// SPDX-License-Identifier: MIT
// Reading a text file held in memory the way the OBJ and MTL formats are
// read from a stream: whitespace-separated tokens of at most 127 bytes, line
// chunks of at most 127 bytes up to and including the newline, and numbers
// (numscan.h) read from wherever the previous read stopped.
//
// A backslash right before a line end continues the line: tokens and
// numbers read it as a blank (numscan.h), and a line chunk goes on after it.
//
// Whitespace is the C locale's: blank, tab, newline, vertical tab, form feed
// and carriage return. A NUL byte inside the file is an ordinary byte for
// reading, but like the C strings of a stream reader it ends a token's or a
// name's text.
#pragma once

#include "glm/numscan.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace glmscan {

// Tokens and line chunks are read into 128-byte buffers, so both stop at 127.
constexpr std::size_t maxTokenLength = 127;
constexpr std::size_t maxChunkLength = 127;
constexpr std::size_t nameBufferSize = maxChunkLength + 1;

// Bytes of the loaded text; not NUL-terminated (a token or chunk is followed
// by more of the file).
struct TextView
{
    const char *text;
    std::size_t length;

    // Byte i as a C string would give it: NUL past the end.
    char at(std::size_t i) const { return i < length ? text[i] : '\0'; }

    // Copies the C string the bytes hold (up to an inner NUL) into out,
    // which has room for length + 1 bytes.
    void copyTo(char *out) const
    {
        const void *nul = std::memchr(text, '\0', length);
        const std::size_t n =
            nul ? static_cast<std::size_t>(static_cast<const char *>(nul) - text) : length;
        std::memcpy(out, text, n);
        out[n] = '\0';
    }
};

class TextScanner
{
public:
    // [begin, end) is the file; *end must be a NUL that no number continues.
    // Messages name operation and path.
    TextScanner(const char *begin, const char *end, const char *operation = "",
                const char *path = "")
        : begin_(begin), end_(end), cursor_(begin), operation_(operation), path_(path)
    {
    }

    // "%127s": skips whitespace and takes up to 127 non-whitespace bytes; a
    // longer run is left for the following reads. False at the end of text.
    bool token(TextView &out)
    {
        cursor_ = skipBreaks(cursor_);
        if (cursor_ >= end_)
            return false;
        const char *start = cursor_;
        const char *limit =
            static_cast<std::size_t>(end_ - start) > maxTokenLength ? start + maxTokenLength : end_;
        while (cursor_ < limit && !isBreak(cursor_))
            ++cursor_;
        out = TextView{start, static_cast<std::size_t>(cursor_ - start)};
        return true;
    }

    // Like reading a line into a 128-byte buffer: up to 127 bytes, ending
    // after the first line end among them. Empty at the end. A continued
    // line goes on past its line end, the continuation read as one blank;
    // the chunk then lies in the scanner and lives until the next chunk.
    // A continued line that does not end within the 127 bytes ends the
    // program with a message: cutting it would split a statement silently.
    TextView lineChunk()
    {
        const std::size_t available = static_cast<std::size_t>(end_ - cursor_);
        const std::size_t n = available < maxChunkLength ? available : maxChunkLength;
        const char *newline = static_cast<const char *>(std::memchr(cursor_, '\n', n));
        const char *stop = nullptr;
        if (newline) {
            if (!continuedAt(newline))
                stop = newline + 1;
        } else if (n == available || !lineContinues(cursor_ + n)) {
            stop = cursor_ + n; // the end of the text, or a long line cut
        }
        if (!stop)
            return joinedChunk();
        const TextView chunk{cursor_, static_cast<std::size_t>(stop - cursor_)};
        cursor_ = stop;
        return chunk;
    }

    void skipLine() { lineChunk(); }

    // "%f %f ...": reads up to count floats into values, stopping at the
    // first that does not convert; the others stay as they are.
    void readFloats(float *values, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (scanFloat(cursor_, end_, values[i]))
                continue;
            if (!skipContinuation())
                return;
            --i; // read it after the continuation
        }
    }

    // After a read stopped at a line continuation: skips it, and what
    // whitespace and continuations follow, and is true. False elsewhere.
    bool skipContinuation()
    {
        if (continuationAt(cursor_) == 0)
            return false;
        cursor_ = skipBreaks(cursor_);
        return true;
    }

    const char *&cursor() { return cursor_; }
    const char *end() const { return end_; }

    // 1-based line number of a position in the text, for messages.
    unsigned lineNumber(const char *position) const
    {
        unsigned line = 1;
        for (const char *p = begin_; p < position; ++p)
            line += *p == '\n';
        return line;
    }

    // Ends the program with "operation(): problem in "path" line N." on
    // standard error, N being the line of position.
    [[noreturn, gnu::cold]] void fail(const char *problem, const char *position) const
    {
        std::fprintf(stderr, "%s(): %s in \"%s\" line %u.\n", operation_, problem, path_,
                     lineNumber(position));
        std::exit(1);
    }

private:
    // Whether the line end at newline, within the unread text, continues
    // its line.
    bool continuedAt(const char *newline) const
    {
        const std::size_t before = static_cast<std::size_t>(newline - cursor_);
        if (before >= 1 && newline[-1] == '\\')
            return true;
        return before >= 2 && newline[-1] == '\r' && newline[-2] == '\\';
    }

    // Whether the line that goes on at p (not at its start) is continued.
    // A long line is read in many chunks; its end is looked for once.
    bool lineContinues(const char *p)
    {
        if (p < searchedFrom_ || p > lineEnd_) {
            const void *newline = std::memchr(p, '\n', static_cast<std::size_t>(end_ - p));
            searchedFrom_ = p;
            lineEnd_ = newline ? static_cast<const char *>(newline) : end_;
        }
        return lineEnd_ != end_ && continuedAt(lineEnd_);
    }

    [[gnu::noinline]] TextView joinedChunk()
    {
        const char *start = cursor_;
        std::size_t length = 0;
        while (cursor_ < end_) {
            if (length == maxChunkLength) {
                char problem[64];
                std::snprintf(problem, sizeof problem, "continued line longer than %zu bytes",
                              maxChunkLength);
                fail(problem, start);
            }
            const int continuation = continuationAt(cursor_);
            if (continuation != 0) {
                joined_[length++] = ' ';
                cursor_ += continuation;
                continue;
            }
            const char c = *cursor_++;
            joined_[length++] = c;
            if (c == '\n')
                break;
        }
        return TextView{joined_, length};
    }

    const char *begin_;
    const char *end_;
    const char *cursor_;
    const char *operation_;
    const char *path_;
    // No line end lies in [searchedFrom_, lineEnd_); lineEnd_ is one or end_.
    const char *searchedFrom_ = nullptr;
    const char *lineEnd_ = nullptr;
    char joined_[maxChunkLength];
};

// Group name from a "g" line's chunk: everything but the line end; the
// blank after the keyword stays part of the name. A carriage return before
// the line end is dropped too. out has nameBufferSize bytes.
inline void groupName(const TextView &chunk, char *out)
{
    chunk.copyTo(out);
    std::size_t n = std::strlen(out);
    if (n > 0 && out[n - 1] == '\n') {
        out[--n] = '\0';
        if (n > 0 && out[n - 1] == '\r')
            out[--n] = '\0';
    }
}

// Library and material names: the chunk's first whitespace-delimited word,
// or the empty string when it has none. out has nameBufferSize bytes.
inline void firstWord(const TextView &chunk, char *out)
{
    char line[nameBufferSize];
    chunk.copyTo(line);
    const char *p = skipSpace(line);
    std::size_t n = 0;
    while (p[n] != '\0' && !isSpace(static_cast<unsigned char>(p[n])))
        ++n;
    std::memcpy(out, p, n);
    out[n] = '\0';
}

} // namespace glmscan
