// Reading a text file held in memory the way the OBJ and MTL formats are
// read from a stream: whitespace-separated tokens of at most 127 bytes, line
// chunks of at most 127 bytes up to and including the newline, and numbers
// (numscan.h) read from wherever the previous read stopped.
//
// Whitespace is the C locale's: blank, tab, newline, vertical tab, form feed
// and carriage return. A NUL byte inside the file is an ordinary byte for
// reading, but like the C strings of a stream reader it ends a token's or a
// name's text.
#pragma once

#include "glm/numscan.h"

#include <cstddef>
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
    TextScanner(const char *begin, const char *end) : begin_(begin), end_(end), cursor_(begin) {}

    // "%127s": skips whitespace and takes up to 127 non-whitespace bytes; a
    // longer run is left for the following reads. False at the end of text.
    bool token(TextView &out)
    {
        cursor_ = skipSpace(cursor_);
        if (cursor_ >= end_)
            return false;
        const char *start = cursor_;
        const char *limit =
            static_cast<std::size_t>(end_ - start) > maxTokenLength ? start + maxTokenLength : end_;
        while (cursor_ < limit && !isSpace(static_cast<unsigned char>(*cursor_)))
            ++cursor_;
        out = TextView{start, static_cast<std::size_t>(cursor_ - start)};
        return true;
    }

    // Like reading a line into a 128-byte buffer: up to 127 bytes, ending
    // after the first newline if there is one among them. Empty at the end.
    TextView lineChunk()
    {
        const std::size_t available = static_cast<std::size_t>(end_ - cursor_);
        const std::size_t n = available < maxChunkLength ? available : maxChunkLength;
        const void *newline = std::memchr(cursor_, '\n', n);
        const char *stop = newline ? static_cast<const char *>(newline) + 1 : cursor_ + n;
        const TextView chunk{cursor_, static_cast<std::size_t>(stop - cursor_)};
        cursor_ = stop;
        return chunk;
    }

    void skipLine() { lineChunk(); }

    // "%f %f ...": reads up to count floats into values, stopping at the
    // first that does not convert; the others stay as they are.
    void readFloats(float *values, int count)
    {
        for (int i = 0; i < count; ++i)
            if (!scanFloat(cursor_, end_, values[i]))
                return;
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

private:
    const char *begin_;
    const char *end_;
    const char *cursor_;
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
