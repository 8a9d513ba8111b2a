// SPDX-License-Identifier: MIT
// The extension query against the real GL_EXTENSIONS string. This program
// defines glGetString itself, counting the calls the library makes and
// passing them on to the GL library, so "no GL call" and caching can be seen.
#include "glm/glm.h"
#include "gltestcontext.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace glmtest;

namespace {

int stringQueries = 0;

const GLubyte *realGetString(GLenum name)
{
    using GetString = const GLubyte *(*)(GLenum);
    static GetString real = (GetString)dlsym(RTLD_NEXT, "glGetString");
    return real ? real(name) : nullptr;
}

std::vector<std::string> listedExtensions()
{
    const char *list = (const char *)realGetString(GL_EXTENSIONS);
    std::vector<std::string> words;
    std::istringstream in(list ? list : "");
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

} // namespace

extern "C" const GLubyte *glGetString(GLenum name)
{
    ++stringQueries;
    return realGetString(name);
}

// Each test starts in a fresh process under ctest; in one run of the whole
// program these first two must come before any query that succeeds, as they
// do here.
TEST(HasGLExtension, blankOrEmptyNameReturnsZeroWithoutAGLCall)
{
    GlTestContext gl;
    ASSERT_TRUE(gl.makeCurrent());
    std::vector<std::string> listed = listedExtensions();
    ASSERT_GE(listed.size(), 2u);

    int before = stringQueries;
    EXPECT_EQ(0, hasGLExtension((listed[0] + " " + listed[1]).c_str()));
    EXPECT_EQ(0, hasGLExtension((listed[0] + " ").c_str()));
    EXPECT_EQ(0, hasGLExtension(""));
    EXPECT_EQ(0, hasGLExtension(nullptr));
    EXPECT_EQ(before, stringQueries);
}

TEST(HasGLExtension, withoutContextReturnsZeroAndAsksAgainLater)
{
    GlTestContext gl;
    ASSERT_TRUE(gl.makeCurrent());
    std::vector<std::string> listed = listedExtensions();
    ASSERT_FALSE(listed.empty());
    gl.doneCurrent();

    int before = stringQueries;
    EXPECT_EQ(0, hasGLExtension(listed[0].c_str()));
    EXPECT_EQ(before + 1, stringQueries);

    ASSERT_TRUE(gl.makeCurrent());
    EXPECT_EQ(1, hasGLExtension(listed[0].c_str()));
    EXPECT_EQ(before + 2, stringQueries);
    // From now on the list is kept.
    EXPECT_EQ(1, hasGLExtension(listed.back().c_str()));
    EXPECT_EQ(0, hasGLExtension("GL_NOT_an_extension"));
    EXPECT_EQ(before + 2, stringQueries);
}

TEST(HasGLExtension, matchesWholeWordsOnly)
{
    GlTestContext gl;
    ASSERT_TRUE(gl.makeCurrent());
    std::vector<std::string> listed = listedExtensions();
    ASSERT_GE(listed.size(), 3u);
    auto isListed = [&](const std::string &name) {
        for (const std::string &word : listed)
            if (word == name)
                return true;
        return false;
    };

    // First, a middle one and the last one of the list are found.
    EXPECT_EQ(1, hasGLExtension(listed.front().c_str()));
    EXPECT_EQ(1, hasGLExtension(listed[listed.size() / 2].c_str()));
    EXPECT_EQ(1, hasGLExtension(listed.back().c_str()));

    int prefixesTried = 0;
    for (const std::string &word : listed) {
        std::string prefix = word.substr(0, word.size() - 1);
        if (!isListed(prefix)) {
            EXPECT_EQ(0, hasGLExtension(prefix.c_str())) << prefix;
            ++prefixesTried;
        }
        std::string tail = word.substr(3);
        if (!isListed(tail)) {
            EXPECT_EQ(0, hasGLExtension(tail.c_str())) << tail;
        }
        EXPECT_EQ(0, hasGLExtension((word + "x").c_str())) << word;
    }
    EXPECT_GT(prefixesTried, 0);

    // A listed name that also occurs inside a longer one earlier in the
    // list is still found as a word of its own.
    for (const std::string &word : listed)
        for (const std::string &longer : listed)
            if (longer != word && longer.find(word) != std::string::npos) {
                EXPECT_EQ(1, hasGLExtension(word.c_str())) << word << " in " << longer;
            }
}

int main(int argc, char **argv)
{
    return runGlTests(argc, argv);
}
