// SPDX-License-Identifier: MIT
#include "bench/peakmemory.h"

#include "bench/childprocess.h"
#include "bench/machinefacts.h"
#include "bench/memoryconditions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *const childFlag = "--peak-memory-child=";
const char *const fileFlag = "--peak-memory-file=";
const char *const baselineReader = "none";

// VmHWM in kB, or -1.
long peakResidentKb()
{
    return static_cast<long>(procFieldKb("/proc/self/status", "VmHWM:"));
}

// Runs the child role for reader and path under the default memory
// condition; its printed peak in kB, or -1.
long childPeakKb(const std::string &reader, const std::string &path)
{
    const std::string self = selfExecutable();
    std::string text;
    if (self.empty() || !runChild({self, childFlag + reader, fileFlag + path},
                                  environmentFor(memoryConditions[0]), &text))
        return -1;
    // The reader may print on standard output too; the peak is the last line.
    const std::size_t last = text.find_last_of('\n', text.size() >= 2 ? text.size() - 2 : 0);
    return std::strtol(text.c_str() + (last == std::string::npos ? 0 : last + 1), nullptr, 10);
}

} // namespace

double peakReadBytes(ObjReader reader, const std::string &path)
{
    const long baseline = childPeakKb(baselineReader, path);
    const long peak = childPeakKb(readerName(reader), path);
    if (baseline < 0 || peak < 0)
        return -1.0;
    return double(peak - baseline) * bytesPerKb;
}

bool isPeakMemoryChild(int argc, char **argv)
{
    return argc > 1 && std::strncmp(argv[1], childFlag, std::strlen(childFlag)) == 0;
}

int runPeakMemoryChild(int argc, char **argv)
{
    if (argc != 3 || std::strncmp(argv[2], fileFlag, std::strlen(fileFlag)) != 0)
        return 2;
    const std::string reader = argv[1] + std::strlen(childFlag);
    const std::string path = argv[2] + std::strlen(fileFlag);
    if (reader != baselineReader) {
        ObjReader which;
        if (!readerFromName(reader, which) || !readObj(which, path).ok)
            return 1;
    }
    std::printf("\n%ld\n", peakResidentKb());
    return 0;
}
