// SPDX-License-Identifier: MIT
#include "bench/memoryconditions.h"

#include "bench/childprocess.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace {

const char *const tunablesVariable = "GLIBC_TUNABLES";
const char *const memoryFlag = "--memory=";
const char *const eachCondition = "each";

bool isTunablesEntry(const char *entry)
{
    const std::size_t n = std::strlen(tunablesVariable);
    return std::strncmp(entry, tunablesVariable, n) == 0 && entry[n] == '=';
}

} // namespace

const MemoryCondition memoryConditions[2] = {
    {"default", "default allocation", nullptr},
    {"hugepages", "huge pages for all (GLIBC_TUNABLES=glibc.malloc.hugetlb=1)",
     "glibc.malloc.hugetlb=1"},
};

const MemoryCondition *memoryConditionNamed(const std::string &name)
{
    for (const MemoryCondition &condition : memoryConditions)
        if (name == condition.name)
            return &condition;
    return nullptr;
}

const MemoryCondition *currentMemoryCondition()
{
    const char *tunables = std::getenv(tunablesVariable);
    for (const MemoryCondition &condition : memoryConditions) {
        if (!tunables && !condition.tunables)
            return &condition;
        if (tunables && condition.tunables && std::strcmp(tunables, condition.tunables) == 0)
            return &condition;
    }
    return nullptr;
}

std::string currentMemoryTitle()
{
    if (const MemoryCondition *condition = currentMemoryCondition())
        return condition->title;
    return std::string(tunablesVariable) + "=" + std::getenv(tunablesVariable);
}

std::vector<std::string> environmentFor(const MemoryCondition &condition)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry; ++entry)
        if (!isTunablesEntry(*entry))
            environment.push_back(*entry);
    if (condition.tunables)
        environment.push_back(std::string(tunablesVariable) + "=" + condition.tunables);
    return environment;
}

bool isMemoryOption(const char *arg)
{
    return std::strncmp(arg, memoryFlag, std::strlen(memoryFlag)) == 0;
}

std::vector<const MemoryCondition *> memoryConditionsFor(const std::string &value)
{
    std::vector<const MemoryCondition *> conditions;
    if (value.empty() || value == eachCondition) {
        for (const MemoryCondition &condition : memoryConditions)
            conditions.push_back(&condition);
    } else if (const MemoryCondition *condition = memoryConditionNamed(value)) {
        conditions.push_back(condition);
    }
    return conditions;
}

bool enterMemoryCondition(int argc, char **argv, int &exitStatus)
{
    int option = 0;
    for (int i = 1; i < argc; ++i)
        if (isMemoryOption(argv[i]))
            option = i;
    if (option == 0)
        return true;
    exitStatus = 2;
    const std::string value = argv[option] + std::strlen(memoryFlag);
    const std::vector<const MemoryCondition *> conditions = memoryConditionsFor(value);
    if (conditions.empty()) {
        std::fprintf(stderr, "%s: unknown memory condition in %s\n", argv[0], argv[option]);
        return false;
    }
    const std::string self = selfExecutable();
    std::vector<std::string> arguments(argv, argv + argc);
    arguments[0] = self;
    if (value == eachCondition) {
        exitStatus = 0;
        for (const MemoryCondition *condition : conditions) {
            arguments[option] = memoryFlag + std::string(condition->name);
            if (!runChild(arguments, environmentFor(*condition), nullptr))
                exitStatus = 1;
        }
        return false;
    }
    if (conditions.front() == currentMemoryCondition())
        return true;
    const std::vector<std::string> environment = environmentFor(*conditions.front());
    std::vector<char *> args, envp;
    for (const std::string &argument : arguments)
        args.push_back(const_cast<char *>(argument.c_str()));
    args.push_back(nullptr);
    for (const std::string &entry : environment)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);
    execve(self.c_str(), args.data(), envp.data());
    std::fprintf(stderr, "%s: cannot run again with %s: %s\n", argv[0], tunablesVariable,
                 std::strerror(errno));
    return false;
}
