// SPDX-License-Identifier: MIT
/* Preloaded into the client by scripts/soak: counts its calls of
   glXSwapBuffers (one per drawn frame) into the file named by
   RADAR_FRAME_COUNT_FILE, now and then and at exit, so that frames are
   counted without touching the client. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>

enum { writeEveryFrames = 50 };

typedef void (*SwapFunction)(void *display, unsigned long drawable);
static unsigned long frames;

static void writeCount(void)
{
    const char *name = getenv("RADAR_FRAME_COUNT_FILE");
    FILE *out = name ? fopen(name, "w") : NULL;
    if (!out)
        return;
    fprintf(out, "%lu\n", frames);
    fclose(out);
}

void glXSwapBuffers(void *display, unsigned long drawable)
{
    static SwapFunction next;
    if (!next)
        next = (SwapFunction)dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (next)
        next(display, drawable);
    if (++frames % writeEveryFrames == 0)
        writeCount();
}

__attribute__((destructor)) static void finish(void)
{
    writeCount();
}
