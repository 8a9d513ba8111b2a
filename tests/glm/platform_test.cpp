// SPDX-License-Identifier: MIT
// Loading a model file: only regular files within the size limit, refused
// at once, whatever else the name stands for.
#include "glm/platform.h"

#include "glmtestsupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

using glmplatform::FileImage;
using glmplatform::loadFile;

TEST(PlatformLoadFile, refusesWhatIsNoRegularFileOrTooLarge)
{
    glmtest::TempDir dir;
    FileImage image;

    // With no writer, opening a FIFO for reading would wait for ever.
    const std::string fifo = dir.file("fifo.obj");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(loadFile(fifo.c_str(), "test", image));
    EXPECT_EQ(image.bytes, nullptr);

    // A device that never ends would be read until memory runs out.
    EXPECT_FALSE(loadFile("/dev/zero", "test", image));
    EXPECT_EQ(image.bytes, nullptr);

    // Sparse, so it takes no disk space.
    const std::string large = dir.write("large.obj", "v 1 2 3\n");
    ASSERT_EQ(truncate(large.c_str(), static_cast<off_t>(glmplatform::maxFileBytes) + 1), 0);
    EXPECT_FALSE(loadFile(large.c_str(), "test", image));
    EXPECT_EQ(image.bytes, nullptr);
}

} // namespace
