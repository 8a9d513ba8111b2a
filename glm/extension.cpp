// SPDX-License-Identifier: MIT
// Whole-word lookup in the GL extension string.
#include "glm/glm.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

int hasGLExtension(const char *name)
{
    // Extension names hold no blanks; such a name could only match across
    // two listed words.
    if (!name || *name == '\0' || std::strchr(name, ' '))
        return 0;

    // Kept for the life of the program, but only once a context has given
    // one: without a current context the query yields none and is retried.
    // The list is copied, as the context that owns the string may go first.
    static char *extensions = nullptr;
    if (!extensions) {
        const char *list = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
        if (!list)
            return 0;
        const std::size_t size = std::strlen(list) + 1;
        extensions = static_cast<char *>(std::malloc(size));
        if (!extensions)
            return 0;
        std::memcpy(extensions, list, size);
    }

    const std::size_t length = std::strlen(name);
    for (const char *p = extensions; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool startsWord = p == extensions || p[-1] == ' ';
        const bool endsWord = p[length] == ' ' || p[length] == '\0';
        if (startsWord && endsWord)
            return 1;
    }
    return 0;
}
