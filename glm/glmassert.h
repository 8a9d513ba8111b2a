// The library's precondition check: like assert, but the report names the
// source file "glm" whichever of the library's files the check is in.
#pragma once

#include <assert.h>

#ifdef NDEBUG
#define GLM_ASSERT(expr) ((void)0)
#else
#define GLM_ASSERT(expr) ((expr) ? (void)0 : __assert_fail(#expr, "glm", __LINE__, __func__))
#endif
