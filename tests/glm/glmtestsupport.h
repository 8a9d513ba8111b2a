// Shared helpers of the model library's tests: files in a temporary
// directory, models that free themselves, and messages to match exactly.
#pragma once

#include "glm/glm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace glmtest {

class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "glmtestXXXXXX").string();
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }

    // Writes content (bytes as given, NULs included) to name below the
    // directory, creating subdirectories; returns the full path.
    std::string write(const std::string &name, const std::string &content) const
    {
        const std::filesystem::path full = std::filesystem::path(path_) / name;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return full.string();
    }

private:
    std::string path_;
};

struct ModelDeleter
{
    void operator()(ObjModel *model) const { glmFreeModel(model); }
};
using ModelPtr = std::unique_ptr<ObjModel, ModelDeleter>;

inline ModelPtr readModel(const std::string &path)
{
    return ModelPtr(glmReadOBJ(path.c_str()));
}

// The whole text as an anchored extended regular expression, for death
// tests that must see exactly one message.
inline std::string exactly(const std::string &text)
{
    std::string pattern = "^";
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

// In a death test's child: what the library prints on standard output is
// sent to standard error, where the test looks for it.
inline void stdoutToStderr()
{
    std::fflush(stdout);
    dup2(2, 1);
}

inline std::string vertexLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "v " + std::to_string(i) + " " + std::to_string(10 * i) + " " +
                std::to_string(100 * i) + "\n";
    return text;
}

} // namespace glmtest
