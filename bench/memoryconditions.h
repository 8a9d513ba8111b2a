// SPDX-License-Identifier: MIT
// The memory conditions every speed figure is measured under, alike for
// every competitor of a comparison:
//   default    glibc's allocator as it comes;
//   hugepages  glibc's allocator asking for transparent huge pages on every
//              block it maps (GLIBC_TUNABLES=glibc.malloc.hugetlb=1).
// glibc reads its tunables when a process starts, so a condition holds for
// a whole process: the model benchmarks start a fresh process per
// measurement in it (isolatedruns.h), the other programs run once per
// condition (--memory=each).
// What a library asks of the system by itself (glm's own huge-page advice
// on its large arrays) it does under both.
#pragma once

#include <string>
#include <vector>

struct MemoryCondition
{
    const char *name;     // the --memory value: "default", "hugepages"
    const char *title;    // for table titles: "default allocation", ...
    const char *tunables; // GLIBC_TUNABLES in it; null: unset
};

extern const MemoryCondition memoryConditions[2];

// Null for an unknown name.
const MemoryCondition *memoryConditionNamed(const std::string &name);

// The condition this process runs in, told from its GLIBC_TUNABLES; null
// when that variable holds something else.
const MemoryCondition *currentMemoryCondition();

// The title of the condition this process runs in, or "GLIBC_TUNABLES=..."
// when it is none of them.
std::string currentMemoryTitle();

// This process's environment ("NAME=value" strings) with GLIBC_TUNABLES as
// the condition wants it.
std::vector<std::string> environmentFor(const MemoryCondition &condition);

// For the programs measured once per condition, first thing in main; true
// when main goes on in this process, false when it is to return
// exitStatus. With --memory=NAME, makes this process run in that condition,
// running the program again in it (execve, same arguments) when it does not
// yet. With --memory=each, runs the program once per condition, one after
// the other, with --memory=NAME each, and ends with failure when one
// failed. Without the option the process stays as it is. An unknown name or
// a failed exec ends it with a message.
bool enterMemoryCondition(int argc, char **argv, int &exitStatus);

// The conditions a --memory value asks for (all for "each" or none given);
// empty for an unknown name.
std::vector<const MemoryCondition *> memoryConditionsFor(const std::string &value);

// The --memory=NAME option, for the option parsers: true when arg is one.
bool isMemoryOption(const char *arg);
