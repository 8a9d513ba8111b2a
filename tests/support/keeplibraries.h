// SPDX-License-Identifier: MIT
// Keeps every shared library that is loaded now mapped until the process
// ends. The GL driver and toolkit plugins are unloaded when the application
// object goes away; the leak report at exit would then show their
// process-lifetime allocations without a module name, where the leak
// suppressions for those libraries cannot match them.
#pragma once

void keepLoadedLibrariesMapped();
