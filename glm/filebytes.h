// SPDX-License-Identifier: MIT
// A whole file in memory, followed by a NUL byte (which no number and no
// token continues), for the reader's passes over its bytes. The bytes live
// until the object is destroyed; how they get there is the platform's
// (platform.h).
#pragma once

#include "glm/platform.h"
#include "glm/textscan.h"

class FileBytes
{
public:
    FileBytes() = default;
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;
    ~FileBytes() { glmplatform::releaseFile(image_); }

    // False when the file cannot be opened or read, or is no regular file
    // within the size limit (loadFile). operation names the caller in an out-of-memory message, and
    // with name in the scanners' messages: both must outlive the object.
    bool load(const char *name, const char *operation)
    {
        glmplatform::releaseFile(image_);
        name_ = name;
        operation_ = operation;
        return glmplatform::loadFile(name, operation, image_);
    }

    glmscan::TextScanner scanner() const
    {
        return glmscan::TextScanner(image_.bytes, image_.bytes + image_.size, operation_, name_);
    }

private:
    glmplatform::FileImage image_;
    const char *name_ = "";
    const char *operation_ = "";
};
