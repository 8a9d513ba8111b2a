// SPDX-License-Identifier: MIT
// Building a model without the searches of the public helpers: the reader
// keeps its own index of groups and materials by name, so reading stays
// linear in their number, and asks these for the rest.
#pragma once

#include "glm/glm.h"

// Links a new group named name (copied) at the head of the list and counts
// it. The caller knows that no group of that name exists yet.
ObjGroup *glmNewGroup(ObjModel *model, const char *name);

// glmFindMaterial's message for a name the model's materials lack.
void glmReportMissingMaterial(const char *name);
