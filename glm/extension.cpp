// Whole-word lookup in the GL extension string.
#include "glm/glm.h"

#include <stdlib.h>
#include <string.h>

int hasGLExtension(const char *name)
{
    // Extension names hold no blanks; such a name could only match across
    // two listed words.
    if (!name || *name == '\0' || strchr(name, ' '))
        return 0;

    // Kept for the life of the program, but only once a context has given
    // one: without a current context the query yields none and is retried.
    // The list is copied, as the context that owns the string may go first.
    static char *extensions = nullptr;
    if (!extensions) {
        const char *list = (const char *)glGetString(GL_EXTENSIONS);
        if (!list)
            return 0;
        extensions = strdup(list);
        if (!extensions)
            return 0;
    }

    size_t length = strlen(name);
    for (const char *p = extensions; (p = strstr(p, name)) != nullptr; p += length) {
        bool startsWord = p == extensions || p[-1] == ' ';
        bool endsWord = p[length] == ' ' || p[length] == '\0';
        if (startsWord && endsWord)
            return 1;
    }
    return 0;
}
