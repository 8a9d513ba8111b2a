// SPDX-License-Identifier: MIT
// One GL display list, owned: its name is reserved on construction and the
// list deleted on destruction. Every operation but listId() issues GL calls
// and needs the GL context the list was made in to be current. Not copied.
// A name of 0 from glGenLists (out of names) is kept and used as it is.
#pragma once

#include <GL/gl.h>

class DisplayList
{
public:
    DisplayList();
    ~DisplayList();

    DisplayList(const DisplayList &) = delete;
    DisplayList &operator=(const DisplayList &) = delete;

    // The calls between these two are recorded into the list, not executed.
    void beginCompile();
    void endCompile();
    void call();
    GLuint listId() const { return id; }

private:
    GLuint id;
};
