// SPDX-License-Identifier: MIT
// radarassets: draws the client's models and textures into a run directory.
#include "assets/rundirectory.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: radarassets RUN_DIRECTORY\n"
                             "Writes mdl/, textures/ and clientSettings.xml there.\n");
        return 2;
    }
    QString error;
    if (!writeRunDirectory(QString::fromLocal8Bit(argv[1]), &error)) {
        std::fprintf(stderr, "radarassets: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
