// SPDX-License-Identifier: MIT
#include "render/displaylist.h"

DisplayList::DisplayList() : id(glGenLists(1)) {}

DisplayList::~DisplayList()
{
    glDeleteLists(id, 1);
}

void DisplayList::beginCompile()
{
    glNewList(id, GL_COMPILE);
}

void DisplayList::endCompile()
{
    glEndList();
}

void DisplayList::call()
{
    glCallList(id);
}
