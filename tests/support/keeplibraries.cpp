// SPDX-License-Identifier: MIT
#include "keeplibraries.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

void keepLoadedLibrariesMapped()
{
    std::vector<std::string> libraries;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0')
                static_cast<std::vector<std::string> *>(data)->push_back(info->dlpi_name);
            return 0;
        },
        &libraries);
    for (const std::string &library : libraries)
        dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}
