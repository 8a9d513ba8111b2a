// SPDX-License-Identifier: MIT
// A private directory for the files a fuzz target writes its input to: on
// /dev/shm when it is writable (memory, no disk wear), else under TMPDIR or
// /tmp. Created on first use; removed when the process that created it
// exits (never by a forked child that exits).
#pragma once

#include <cstddef>
#include <string>

namespace fuzzsupport {

// The path of name inside the scratch directory.
std::string scratchPath(const char *name);

// Writes size bytes to path, replacing the file. Aborts when it cannot.
void writeFile(const std::string &path, const void *data, std::size_t size);

// The bytes of the file at path; empty when it cannot be read.
std::string readFile(const std::string &path);

} // namespace fuzzsupport
