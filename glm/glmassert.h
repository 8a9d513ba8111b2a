// SPDX-License-Identifier: MIT
// The library's precondition check: like assert, but the report names the
// source file "glm" whichever of the library's files the check is in.
#pragma once

#include "glm/platform.h"

#ifdef NDEBUG
#define GLM_ASSERT(expr) static_cast<void>(0)
#else
#define GLM_ASSERT(expr)                                                                           \
    ((expr) ? static_cast<void>(0) : glmplatform::assertionFailed(#expr, __LINE__, __func__))
#endif
