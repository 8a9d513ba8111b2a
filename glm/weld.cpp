// SPDX-License-Identifier: MIT
// Vertex welding.
//
// The result must equal a first-match scan over the kept vectors (the lowest
// kept vector within epsilon in x, y and z wins), so instead of comparing
// every vector with every kept one, kept vectors are filed in a hash of grid
// cells and a vector is compared only with those in the cells its epsilon box
// can reach. The exact single-precision test still decides every match.
#include "glm/glm.h"
#include "glm/glmalloc.h"
#include "glm/glmassert.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Cells are this many epsilons wide: an epsilon box then lies inside one cell
// per axis three times in four, so most vectors probe a single cell, while a
// cell still holds few kept vectors on real meshes (kept vectors are at least
// epsilon apart in some coordinate).
const double cellsPerEpsilon = 8.0;

// Cell coordinates stay within +-cellLimit, where doubles still resolve
// fractions of a cell. Coordinates beyond it are "huge": their float spacing
// there is far above epsilon, so they can only match an equal coordinate and
// get a key of their own per float value, above every cell coordinate.
const double cellLimit = 549755813888.0; // 2^39
const std::int64_t hugeKeyBase = std::int64_t{1} << 40;
// Keys are stored offset to be non-negative, in keyBits bits per axis.
const std::int64_t keyOffset = std::int64_t{1} << 39;
const int keyBits = 41;

// Hash table fill limit: grow when more than half the slots are used.
const std::size_t maxLoadDivisor = 2;
const std::size_t minTableSize = 64; // so the filter is at least one word
// Occupancy filter bits per table slot. Most cells an epsilon box reaches are
// empty; the filter answers those from a small bit array instead of a cache
// miss in the table.
const std::size_t filterBitsPerSlot = 2;

inline bool closeEnough(const GLfloat *a, const GLfloat *b, GLfloat epsilon)
{
    // glmAbs semantics, inlined for the inner loop; NaN never passes.
    GLfloat d = a[0] - b[0];
    if (!((d < 0 ? -d : d) < epsilon))
        return false;
    d = a[1] - b[1];
    if (!((d < 0 ? -d : d) < epsilon))
        return false;
    d = a[2] - b[2];
    return (d < 0 ? -d : d) < epsilon;
}

// Three per-axis keys packed into 123 bits.
struct CellKey
{
    std::uint64_t lo, hi;
    static CellKey of(const std::int64_t c[3])
    {
        std::uint64_t x = static_cast<std::uint64_t>(c[0] + keyOffset),
                      y = static_cast<std::uint64_t>(c[1] + keyOffset),
                      z = static_cast<std::uint64_t>(c[2] + keyOffset);
        return CellKey{x | y << keyBits, y >> (64 - keyBits) | z << (2 * keyBits - 64)};
    }
    bool operator==(const CellKey &o) const { return lo == o.lo && hi == o.hi; }
};

// A cell's first kept vectors are stored in it, so that the common cases
// cost one cache line; more follow in a chain through next and the result.
const int inlineMembers = 2;

struct InlineMember
{
    GLfloat v[3];
    GLuint k; // 1-based kept index
};

struct alignas(64) Cell
{
    CellKey key;
    GLuint count;
    GLuint overflow; // first kept vector beyond the inline ones, or 0
    GLuint tail;     // last of the chain, so appending keeps it ascending
    InlineMember first[inlineMembers];
};

class CellGrid
{
public:
    CellGrid(double width, std::size_t expected, const char *operation)
        : width(width), slots(GlmAllocator<GLuint>(operation)),
          cells(GlmAllocator<Cell>(operation)), filter(GlmAllocator<std::uint64_t>(operation))
    {
        std::size_t capacity = minTableSize;
        while (capacity < expected * maxLoadDivisor)
            capacity *= 2;
        resize(capacity);
    }

    bool isHuge(GLfloat f) const { return std::fabs(static_cast<double>(f) / width) > cellLimit; }

    // Monotone in f for coordinates that are not huge.
    std::int64_t cellOf(double f) const
    {
        double q = std::floor(f / width);
        q = std::min(std::max(q, -cellLimit), cellLimit);
        return static_cast<std::int64_t>(q);
    }

    static std::int64_t hugeKey(GLfloat f)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        return hugeKeyBase + static_cast<std::int64_t>(bits);
    }

    std::int64_t keyOf(GLfloat f) const { return isHuge(f) ? hugeKey(f) : cellOf(f); }

    // The cell keys, along one axis, of every coordinate that can pass the
    // test against f: those of [f - epsilon, f + epsilon], or f's own key
    // when f is huge.
    void rangeOf(GLfloat f, GLfloat epsilon, std::int64_t *lo, std::int64_t *hi) const
    {
        if (isHuge(f)) {
            *lo = *hi = hugeKey(f);
            return;
        }
        *lo = cellOf(static_cast<double>(f) - static_cast<double>(epsilon));
        *hi = cellOf(static_cast<double>(f) + static_cast<double>(epsilon));
    }

    const Cell *find(const CellKey &key) const
    {
        std::size_t h = hash(key);
        std::size_t bit = h & filterMask;
        if (!(filter[bit / 64] >> (bit % 64) & 1))
            return nullptr;
        std::size_t mask = slots.size() - 1;
        for (std::size_t s = h & mask;; s = (s + 1) & mask) {
            GLuint c = slots[s];
            if (c == 0)
                return nullptr;
            if (cells[c - 1].key == key)
                return &cells[c - 1];
        }
    }

    // Appends kept vector k to its cell; next links the vectors of a cell.
    void insert(const CellKey &key, GLuint k, const GLfloat *v, GlmVector<GLuint> &next)
    {
        std::size_t h = hash(key);
        std::size_t mask = slots.size() - 1;
        std::size_t s = h & mask;
        for (;; s = (s + 1) & mask) {
            GLuint c = slots[s];
            if (c == 0)
                break;
            Cell &cell = cells[c - 1];
            if (cell.key == key) {
                append(cell, k, v, next);
                return;
            }
        }
        cells.push_back(Cell{key, 0, 0, 0, {}});
        append(cells.back(), k, v, next);
        slots[s] = static_cast<GLuint>(cells.size());
        std::size_t bit = h & filterMask;
        filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
        if (cells.size() * maxLoadDivisor > slots.size())
            resize(slots.size() * 2);
    }

private:
    static void append(Cell &cell, GLuint k, const GLfloat *v, GlmVector<GLuint> &next)
    {
        if (cell.count < inlineMembers)
            cell.first[cell.count] = InlineMember{{v[0], v[1], v[2]}, k};
        else if (cell.overflow == 0)
            cell.overflow = k;
        else
            next[cell.tail] = k;
        if (cell.count >= inlineMembers)
            cell.tail = k;
        cell.count++;
    }

    // Neighbouring cells are looked up together, so the 2 x 2 x 2 cells of a
    // block share one hashed position and sit next to each other from there.
    static std::size_t hash(const CellKey &key)
    {
        const std::uint64_t axisMask = (std::uint64_t{1} << keyBits) - 1;
        std::uint64_t x = key.lo & axisMask;
        std::uint64_t y = (key.lo >> keyBits | key.hi << (64 - keyBits)) & axisMask;
        std::uint64_t z = key.hi >> (2 * keyBits - 64);
        std::uint64_t local = (x & 1) | (y & 1) << 1 | (z & 1) << 2;
        std::uint64_t h = (x >> 1) * 0x9E3779B97F4A7C15ull ^ (y >> 1) * 0xC2B2AE3D27D4EB4Full ^
                          (z >> 1) * 0x165667B19E3779F9ull;
        h ^= h >> 31;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 29;
        return static_cast<std::size_t>(h << 3 | local);
    }

    void resize(std::size_t capacity)
    {
        slots.assign(capacity, 0);
        std::size_t bits = capacity * filterBitsPerSlot;
        filter.assign(bits / 64, 0);
        filterMask = bits - 1;
        std::size_t mask = capacity - 1;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            std::size_t h = hash(cells[c].key);
            std::size_t s = h & mask;
            while (slots[s] != 0)
                s = (s + 1) & mask;
            slots[s] = static_cast<GLuint>(c + 1);
            std::size_t bit = h & filterMask;
            filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
        }
    }

    double width;
    GlmVector<GLuint> slots; // cell number + 1, 0 when empty
    GlmVector<Cell> cells;
    GlmVector<std::uint64_t> filter;
    std::size_t filterMask = 0;
};

inline bool isFinite(const GLfloat *v)
{
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

const GLuint noMatch = std::numeric_limits<GLuint>::max();

// The merge itself: result must already hold a copy of input. report(i, j)
// is called for input elements 1 to n in order, with the 1-based index j of
// the kept vector that represents element i, once element i is no longer
// read. Returns the kept count; operation names the caller in an
// out-of-memory message.
template <typename Report>
GLuint mergeInto(const GLfloat *input, GLuint n, GLfloat epsilon, GLfloat *result,
                 const char *operation, Report report)
{
    if (!(epsilon > 0)) {
        // Nothing can be strictly closer than a non-positive (or NaN) epsilon.
        for (GLuint i = 1; i <= n; ++i)
            report(i, i);
        return n;
    }

    double width = static_cast<double>(epsilon) * cellsPerEpsilon;
    if (!std::isfinite(width))
        width = 1e300; // an infinite epsilon: one cell for all finite data

    CellGrid grid(width, n, operation);
    GlmVector<GLuint> next(std::size_t{n} + 1, 0, GlmAllocator<GLuint>(operation));

    // Bounds of the keys present, so that a wide epsilon box never walks
    // cells that cannot exist.
    std::int64_t keyMin[3] = {INT64_MAX, INT64_MAX, INT64_MAX};
    std::int64_t keyMax[3] = {INT64_MIN, INT64_MIN, INT64_MIN};

    GLuint kept = 0;
    for (GLuint i = 1; i <= n; ++i) {
        const GLfloat *v = input + std::size_t{3} * i;
        GLuint best = noMatch;

        // A non-finite coordinate fails the test against anything, so such
        // vectors are always kept and never filed.
        bool finite = isFinite(v);
        if (finite && kept > 0) {
            std::int64_t lo[3], hi[3];
            bool empty = false;
            for (int a = 0; a < 3; ++a) {
                grid.rangeOf(v[a], epsilon, &lo[a], &hi[a]);
                lo[a] = std::max(lo[a], keyMin[a]);
                hi[a] = std::min(hi[a], keyMax[a]);
                empty = empty || lo[a] > hi[a];
            }
            std::int64_t c[3];
            for (c[0] = lo[0]; !empty && c[0] <= hi[0]; ++c[0])
                for (c[1] = lo[1]; c[1] <= hi[1]; ++c[1])
                    for (c[2] = lo[2]; c[2] <= hi[2]; ++c[2]) {
                        const Cell *cell = grid.find(CellKey::of(c));
                        if (!cell)
                            continue;
                        // Ascending: the first match is the cell's lowest.
                        bool found = false;
                        for (GLuint j = 0; j < cell->count && j < inlineMembers; ++j) {
                            const InlineMember &m = cell->first[j];
                            if (m.k >= best)
                                break;
                            if (closeEnough(v, m.v, epsilon)) {
                                best = m.k;
                                found = true;
                                break;
                            }
                        }
                        for (GLuint k = found ? 0 : cell->overflow; k != 0 && k < best; k = next[k])
                            if (closeEnough(v, result + std::size_t{3} * k, epsilon)) {
                                best = k;
                                break;
                            }
                    }
        }

        if (best == noMatch) {
            best = ++kept;
            std::memcpy(result + std::size_t{3} * kept, v, 3 * sizeof(GLfloat));
            if (finite) {
                std::int64_t c[3];
                for (int a = 0; a < 3; ++a) {
                    c[a] = grid.keyOf(v[a]);
                    keyMin[a] = std::min(keyMin[a], c[a]);
                    keyMax[a] = std::max(keyMax[a], c[a]);
                }
                grid.insert(CellKey::of(c), kept, v, next);
            }
        }
        report(i, best);
    }
    return kept;
}

GLfloat *copyVectors(const GLfloat *vectors, GLuint n, const char *operation)
{
    std::size_t floats = 3 * (std::size_t{n} + 1);
    GLfloat *copy = static_cast<GLfloat *>(glmAllocate(floats, sizeof(GLfloat), operation));
    std::memcpy(copy, vectors, floats * sizeof(GLfloat));
    return copy;
}

} // namespace

GLfloat *glmMergeVectors(GLfloat *vectors, GLuint *numvectors, GLfloat epsilon)
{
    GLuint n = *numvectors;
    const char *const operation = "glmMergeVectors";
    GLfloat *result = copyVectors(vectors, n, operation);
    // The map goes back into the x components, as floats.
    *numvectors = mergeInto(vectors, n, epsilon, result, operation, [vectors](GLuint i, GLuint j) {
        vectors[std::size_t{3} * i] = static_cast<GLfloat>(j);
    });
    return result;
}

void glmWeldModel(ObjModel *model, GLfloat epsilon)
{
    GLM_ASSERT(model);
    if (!model->vertices)
        return;

    GLuint n = model->vertexcount;
    const char *const operation = "glmWeldModel";
    GLfloat *result = copyVectors(model->vertices, n, operation);
    // The map is kept as integers here: a float map loses indices above 2^24.
    GlmVector<GLuint> map(std::size_t{n} + 1, 0, GlmAllocator<GLuint>(operation));
    GLuint kept = mergeInto(model->vertices, n, epsilon, result, operation,
                            [&map](GLuint i, GLuint j) { map[i] = j; });

    for (GLuint f = 0; f < model->facecount; ++f) {
        GLuint *corner = model->faces[f].vertexindex;
        for (int k = 0; k < 3; ++k)
            // An index outside the old array stays outside the new one.
            if (corner[k] >= 1 && corner[k] <= n)
                corner[k] = map[corner[k]];
    }

    std::free(model->vertices);
    model->vertexcount = kept;
    model->vertices = glmAllocatePoints(kept, 3, operation);
    std::memcpy(model->vertices + 3, result + 3, std::size_t{3} * kept * sizeof(GLfloat));
    std::free(result);
}
