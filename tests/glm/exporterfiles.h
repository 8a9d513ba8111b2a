// SPDX-License-Identifier: MIT
// Small files in the manner of common exporters: one model with groups,
// materials and every face form, and copies of it that add one statement of
// the OBJ or MTL formats which the library does not model, or continue one
// line with a backslash. Shared by the reader's tests and the comparison
// with a peer reader.
#pragma once

#include <string>
#include <vector>

namespace glmtest {

struct ExporterFile
{
    std::string name; // what the file shows; also a file name
    std::string obj;  // names its library exporterLibraryName
    std::string mtl;
    // The same model in the statements the library models alone, without
    // continued lines: what the reader must make of obj and mtl.
    std::string plainObj;
    std::string plainMtl;
};

constexpr const char *exporterLibraryName = "lib.mtl";

// The model itself first ("plain"), then one file per statement or
// continued line.
const std::vector<ExporterFile> &exporterFiles();

} // namespace glmtest
