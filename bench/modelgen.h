// SPDX-License-Identifier: MIT
// Deterministic test models for the benchmarks: the same size gives the same
// bytes on every run, so figures from different runs compare.
//
// The surface is a height field over [-5, 5] x [-5, 5] on a grid of quads,
// each split into two triangles, written and built row by row as an
// exporter would.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <string>
#include <vector>

struct ObjModel;

struct GridShape
{
    std::size_t quadsX = 1;
    std::size_t quadsY = 1;

    std::size_t points() const { return (quadsX + 1) * (quadsY + 1); }
    std::size_t triangles() const { return 2 * quadsX * quadsY; }
};

// The nearly square grid with at least `triangles` triangles (at least 2).
GridShape gridFor(std::size_t triangles);

// Writes the grid as OBJ text: one "v", "vt" and "vn" line per grid point
// (six decimals), then one "f a/a/a b/b/b c/c/c" line per triangle. Returns
// false with a message on standard error when the file cannot be written.
bool writeGridObj(const std::string &path, const GridShape &shape);

// Path of the grid's OBJ file in dir, written first when it is not there yet
// (to a temporary name, renamed once complete). Empty on failure.
std::string cachedGridObj(const std::string &dir, const GridShape &shape);

// The grid as a model with vertices and triangles only, as the reader would
// build it from the file without its "vt" and "vn" lines. Release with
// glmFreeModel.
ObjModel *makeGridModel(const GridShape &shape);

// Positions for welding: the triangle soup of a grid (every triangle has
// three vertices of its own, so each grid point appears once per triangle
// using it: exact duplicates), with about a third of the copies moved by up
// to a quarter of epsilon per axis (near duplicates). Grid points lie far
// more than epsilon apart, so a weld at epsilon keeps exactly one vertex per
// grid point used.
struct WeldSet
{
    std::vector<GLfloat> positions; // 3 per vertex, vertex i (0-based) at 3 * i
    std::size_t vertices = 0;
    std::size_t distinct = 0; // vertices a weld at epsilon keeps
    GLfloat epsilon = 0.0f;
};

WeldSet makeWeldSet(std::size_t vertices);

// A model holding the set's positions as vertices 1 to n and the soup's
// triangles (1, 2, 3), (4, 5, 6), ...; release with glmFreeModel.
ObjModel *makeWeldModel(const WeldSet &set);

// Restores a model made by makeWeldModel to its unwelded state.
void resetWeldModel(ObjModel *model, const WeldSet &set);
